#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

// Hands out fuzzer bytes as whole numbers; once the bytes run out every number is `exhausted`.
class FuzzInput
{
public:
    FuzzInput(const std::uint8_t *data, std::size_t size) : data(data), size(size) {}

    std::int32_t nextInt32(std::int32_t exhausted = 0)
    {
        if (size - position < sizeof(std::int32_t)) {
            position = size;
            return exhausted;
        }
        std::int32_t value;
        std::memcpy(&value, data + position, sizeof value);
        position += sizeof value;
        return value;
    }

    bool empty() const { return position >= size; }
    // How many bytes the numbers have taken.
    std::size_t used() const { return position; }

private:
    const std::uint8_t *data;
    std::size_t size;
    std::size_t position = 0;
};

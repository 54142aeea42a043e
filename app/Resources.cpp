#include "app/Resources.h"

#include <QIcon>

namespace {

struct StringEntry {
    int id;
    const char *text;
};

inline constexpr std::array stringTable{
    StringEntry{resource::aboutMenuText, "&About Vellicor..."},
};

} // namespace

QString loadString(int id)
{
    for (const StringEntry &entry : stringTable) {
        if (entry.id == id)
            return QString::fromLatin1(entry.text);
    }
    return {};
}

QIcon applicationIcon()
{
    // The images are compiled into this static library; nothing refers to them by symbol, so
    // they are registered by hand, once.
    [[maybe_unused]] static const bool registered = [] {
        Q_INIT_RESOURCE(vellicor);
        return true;
    }();
    QIcon icon;
    icon.addFile(QStringLiteral(":/icons/128/vellicor-32.png"), QSize(32, 32));
    icon.addFile(QStringLiteral(":/icons/128/vellicor-16.png"), QSize(16, 16));
    return icon;
}

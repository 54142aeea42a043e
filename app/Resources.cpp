#include "app/Resources.h"

#include <QDir>
#include <QDirIterator>
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
    // Every size the build rendered; each image tells its own size.
    QIcon icon;
    QDirIterator images(QStringLiteral(":/icons/128"), QDir::Files);
    while (images.hasNext())
        icon.addFile(images.next());
    return icon;
}

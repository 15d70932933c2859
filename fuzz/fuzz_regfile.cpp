#include "regfile.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

// The failed condition's line tells which property broke.
#define check(condition)                                                                           \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "fuzz_regfile.cpp:%d: %s\n", __LINE__, #condition);               \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

// Any bytes parse; what a save writes reads back whole and writes the same;
// a name and text taken from the input survive a write and a read.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const RegFile file = RegFile::parse(bytes);

    const QByteArray out = file.serialise();
    const RegFile again = RegFile::parse(out);
    check(!again.damaged());
    check(again.serialise() == out);
    // Damaged input may lose characters (a lone surrogate); its original is kept aside.
    if (!file.damaged()) {
        check(again.keys() == file.keys());
        for (const QString &key : file.keys()) {
            check(again.hasKey(key));
            const QStringList names = file.valueNames(key);
            check(again.valueNames(key) == names);
            for (const QString &name : names) {
                check(again.type(key, name) == file.type(key, name));
                check(again.dword(key, name) == file.dword(key, name));
                check(again.string(key, name) == file.string(key, name));
            }
        }
    }

    const QString text = QString::fromUtf8(bytes.first(std::min<qsizetype>(bytes.size(), 64)));
    const QString key = QStringLiteral("HKEY_CURRENT_USER\\Software\\Morvane\\tavrix\\") + text;
    const QString number = text + u'#';
    RegFile edited = file;
    if (!edited.setString(key, text, text))
        return 0;
    check(edited.setDword(key, number, quint32(size)));
    const RegFile read = RegFile::parse(edited.serialise());
    check(!read.damaged());
    check(read.hasKey(key));
    check(read.string(key, text) == text);
    check(read.dword(key, number) == quint32(size));
    return 0;
}

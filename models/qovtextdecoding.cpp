#include "models/qovtextdecoding.h"

#include "models/qovqtcompat.h"

#include <QString>
#include <QTextStream>

#include <cstring>

namespace {
constexpr quint64 kHighBits = 0x8080808080808080ULL;
} // namespace

bool QovTextDecoding::isValidUtf8(const QByteArray &bytes)
{
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.constData());
    const auto *end = p + bytes.size();
    while (p < end) {
        const unsigned char c = *p;
        if (c < 0x80) {
            // Project files are almost all ASCII: eight bytes at a time while no byte has its
            // high bit set.
            ++p;
            while (end - p >= 8) {
                quint64 eight = 0;
                std::memcpy(&eight, p, 8);
                if (eight & kHighBits) {
                    break;
                }
                p += 8;
            }
            continue;
        }
        int length = 0;
        unsigned char low = 0x80;
        unsigned char high = 0xBF;
        if (c >= 0xC2 && c <= 0xDF) {
            length = 2;
        } else if (c >= 0xE0 && c <= 0xEF) {
            length = 3;
            low = c == 0xE0 ? 0xA0 : 0x80;
            high = c == 0xED ? 0x9F : 0xBF;
        } else if (c >= 0xF0 && c <= 0xF4) {
            length = 4;
            low = c == 0xF0 ? 0x90 : 0x80;
            high = c == 0xF4 ? 0x8F : 0xBF;
        } else {
            return false;
        }
        if (end - p < length || p[1] < low || p[1] > high) {
            return false;
        }
        for (int i = 2; i < length; ++i) {
            if (p[i] < 0x80 || p[i] > 0xBF) {
                return false;
            }
        }
        p += length;
    }
    return true;
}

QByteArray QovTextDecoding::utf8Text(const QByteArray &bytes)
{
    if (!QovQtCompat::hasWideByteOrderMark(bytes)) {
        const bool bom = bytes.startsWith("\xEF\xBB\xBF");
        const QByteArray text = bom ? bytes.mid(3) : bytes;
        if (isValidUtf8(text)) {
            return text;
        }
    }
    QTextStream stream(bytes);
    QovQtCompat::setUtf8(stream);
    return stream.readAll().toUtf8();
}

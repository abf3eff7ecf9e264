#include "models/qovjsonscan.h"

#include <cctype>
#include <cstring>

namespace {
bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

const char *skipBlanks(const char *p, const char *end)
{
    while (p < end && isBlank(*p)) {
        ++p;
    }
    return p;
}

// `p` at the opening quote; returns the position after the closing quote, or `end`.
const char *skipString(const char *p, const char *end)
{
    for (++p; p < end; ++p) {
        if (*p == '\\') {
            if (++p == end) {
                break;
            }
        } else if (*p == '"') {
            return p + 1;
        }
    }
    return end;
}

// `p` at the first character of a value; returns the position after it.
const char *skipValue(const char *p, const char *end)
{
    if (*p == '"') {
        return skipString(p, end);
    }
    if (*p == '{' || *p == '[') {
        int depth = 0;
        while (p < end) {
            const char c = *p;
            if (c == '"') {
                p = skipString(p, end);
                continue;
            }
            if (c == '{' || c == '[') {
                ++depth;
            } else if ((c == '}' || c == ']') && --depth == 0) {
                return p + 1;
            }
            ++p;
        }
        return end;
    }
    while (p < end && !isBlank(*p) && *p != ',' && *p != '}' && *p != ']') {
        ++p;
    }
    return p;
}

// `p` after '['; cuts out the elements up to the closing ']' and returns the position after
// it, or nullptr when the array holds anything but objects.
const char *splitElements(const char *p, const char *end, const char **copied,
                          QovJsonScan::Split *out)
{
    p = skipBlanks(p, end);
    while (p < end && *p == '{') {
        const char *next = skipValue(p, end);
        out->skeleton.append(*copied, int(p - *copied)).append("{}");
        *copied = next;
        out->elements.append(QByteArray::fromRawData(p, int(next - p)));
        p = skipBlanks(next, end);
        if (p == end || *p != ',') {
            break;
        }
        p = skipBlanks(p + 1, end);
        if (p == end || *p != '{') {
            return nullptr;
        }
    }
    return p < end && *p == ']' ? p + 1 : nullptr;
}
} // namespace

bool QovJsonScan::splitArrayMember(const QByteArray &text, const QByteArray &key, Split *out)
{
    const char *begin = text.constData();
    const char *end = begin + text.size();
    const char *p = skipBlanks(begin, end);
    if (p == end || *p != '{') {
        return false;
    }
    Split split;
    const char *copied = begin;
    bool found = false;
    p = skipBlanks(p + 1, end);
    while (p < end && *p == '"') {
        const char *name = p + 1;
        p = skipString(p, end);
        if (p == end) {
            return false;
        }
        const QByteArray member = QByteArray::fromRawData(name, int(p - name) - 1);
        if (member.contains('\\')) {
            return false;
        }
        p = skipBlanks(p, end);
        if (p == end || *p != ':') {
            return false;
        }
        p = skipBlanks(p + 1, end);
        if (p == end) {
            return false;
        }
        if (member == key) {
            if (found || *p != '[') {
                return false;
            }
            found = true;
            p = splitElements(p + 1, end, &copied, &split);
            if (!p) {
                return false;
            }
        } else {
            p = skipValue(p, end);
        }
        p = skipBlanks(p, end);
        if (p == end || *p != ',') {
            break;
        }
        p = skipBlanks(p + 1, end);
    }
    if (!found) {
        return false;
    }
    split.skeleton.append(copied, int(end - copied));
    *out = std::move(split);
    return true;
}

namespace {
// `p` at a member's opening quote or the end of the object; fills `member` and returns the
// position after the member's value, or nullptr at the end of the object.
const char *nextMember(const char *p, const char *end, QovJsonScan::Member *member, bool *escaped)
{
    if (p == end || *p != '"') {
        return nullptr;
    }
    const char *name = p + 1;
    const char *afterName = skipString(p, end);
    member->name = QByteArray::fromRawData(name, int(afterName - name) - 1);
    *escaped = member->name.contains('\\');
    const char *value = skipBlanks(afterName, end);
    if (value < end) {
        value = skipBlanks(value + 1, end);
    }
    const char *afterValue = value < end ? skipValue(value, end) : end;
    member->text = QByteArray::fromRawData(p, int(afterValue - p));
    member->value = QByteArray::fromRawData(value, int(afterValue - value));
    return afterValue;
}

// `p` after a member's value; returns the start of the next member, or `end`.
const char *afterComma(const char *p, const char *end)
{
    p = skipBlanks(p, end);
    return p < end && *p == ',' ? skipBlanks(p + 1, end) : end;
}

// `p` after the opening '{' or '['.
const char *firstInside(const QByteArray &text, char open)
{
    const char *end = text.constData() + text.size();
    const char *p = skipBlanks(text.constData(), end);
    return p < end && *p == open ? skipBlanks(p + 1, end) : nullptr;
}
} // namespace

bool QovJsonScan::members(const QByteArray &object, QVector<Member> *out)
{
    const char *p = firstInside(object, '{');
    if (!p) {
        return false;
    }
    const char *end = object.constData() + object.size();
    out->clear();
    Member member;
    bool escaped = false;
    while ((p = nextMember(p, end, &member, &escaped))) {
        if (escaped) {
            return false;
        }
        out->append(member);
        p = afterComma(p, end);
    }
    return true;
}

QVector<QByteArray> QovJsonScan::elements(const QByteArray &array)
{
    QVector<QByteArray> out;
    const char *p = firstInside(array, '[');
    const char *end = array.constData() + array.size();
    while (p && p < end && *p != ']') {
        const char *next = skipValue(p, end);
        out.append(QByteArray::fromRawData(p, int(next - p)));
        p = afterComma(next, end);
    }
    return out;
}

QByteArray QovJsonScan::objectOf(const QVector<QByteArray> &memberTexts)
{
    int size = 2;
    for (const QByteArray &text : memberTexts) {
        size += text.size() + 1;
    }
    QByteArray out;
    out.reserve(size);
    out += '{';
    for (const QByteArray &text : memberTexts) {
        if (out.size() > 1) {
            out += ',';
        }
        out += text;
    }
    out += '}';
    return out;
}

QovJsonScan::Found QovJsonScan::hasMember(const QByteArray &object, const QByteArray &key)
{
    const char *p = firstInside(object, '{');
    const char *end = object.constData() + object.size();
    Member member;
    bool escaped = false;
    bool unsure = false;
    while (p && (p = nextMember(p, end, &member, &escaped))) {
        if (member.name == key) {
            return Found::Yes;
        }
        unsure = unsure || escaped;
        p = afterComma(p, end);
    }
    return unsure ? Found::Unknown : Found::No;
}

namespace {
// A recursive descent over one value; `p` moves past what it accepts.
class StrictValue
{
public:
    StrictValue(const char *p, const char *end)
        : m_p(p)
        , m_end(end)
    {
    }

    bool wholeText()
    {
        m_p = skipBlanks(m_p, m_end);
        if (!value()) {
            return false;
        }
        return skipBlanks(m_p, m_end) == m_end;
    }

private:
    // As deep as Qt's parser goes.
    static constexpr int maxDepth = 1024;

    bool at(char c) const { return m_p < m_end && *m_p == c; }
    bool atDigit() const { return m_p < m_end && *m_p >= '0' && *m_p <= '9'; }
    void skipDigits()
    {
        while (atDigit()) {
            ++m_p;
        }
    }

    bool value()
    {
        if (m_p == m_end) {
            return false;
        }
        switch (*m_p) {
        case '{':
            return container('}', true);
        case '[':
            return container(']', false);
        case '"':
            return string();
        case 't':
            return word("true");
        case 'f':
            return word("false");
        case 'n':
            return word("null");
        default:
            return number();
        }
    }

    bool container(char close, bool isObject)
    {
        if (++m_depth > maxDepth) {
            return false;
        }
        m_p = skipBlanks(m_p + 1, m_end);
        if (at(close)) {
            ++m_p;
            --m_depth;
            return true;
        }
        for (;;) {
            if (isObject) {
                if (!at('"') || !string()) {
                    return false;
                }
                m_p = skipBlanks(m_p, m_end);
                if (!at(':')) {
                    return false;
                }
                m_p = skipBlanks(m_p + 1, m_end);
            }
            if (!value()) {
                return false;
            }
            m_p = skipBlanks(m_p, m_end);
            if (at(close)) {
                ++m_p;
                --m_depth;
                return true;
            }
            if (!at(',')) {
                return false;
            }
            m_p = skipBlanks(m_p + 1, m_end);
        }
    }

    bool string()
    {
        for (++m_p; m_p < m_end; ++m_p) {
            const unsigned char c = static_cast<unsigned char>(*m_p);
            if (c == '"') {
                ++m_p;
                return true;
            }
            if (c < 0x20) {
                return false;
            }
            if (c == '\\' && !escape()) {
                return false;
            }
        }
        return false;
    }

    // `m_p` at the backslash; leaves it at the escape's last character.
    bool escape()
    {
        if (++m_p == m_end) {
            return false;
        }
        if (*m_p && std::strchr("\"\\/bfnrt", *m_p)) {
            return true;
        }
        if (*m_p != 'u' || m_end - m_p < 5) {
            return false;
        }
        for (int i = 1; i <= 4; ++i) {
            if (!std::isxdigit(static_cast<unsigned char>(m_p[i]))) {
                return false;
            }
        }
        m_p += 4;
        return true;
    }

    bool word(const char *text)
    {
        const std::size_t length = std::strlen(text);
        if (std::size_t(m_end - m_p) < length || std::memcmp(m_p, text, length) != 0) {
            return false;
        }
        m_p += length;
        return true;
    }

    // -?(0|[1-9][0-9]*)(.[0-9]+)?([eE][+-]?[0-9]+)?
    bool number()
    {
        if (at('-')) {
            ++m_p;
        }
        if (at('0')) {
            ++m_p;
        } else if (atDigit()) {
            skipDigits();
        } else {
            return false;
        }
        if (at('.')) {
            ++m_p;
            if (!atDigit()) {
                return false;
            }
            skipDigits();
        }
        if (at('e') || at('E')) {
            ++m_p;
            if (at('+') || at('-')) {
                ++m_p;
            }
            if (!atDigit()) {
                return false;
            }
            skipDigits();
        }
        return true;
    }

    const char *m_p;
    const char *m_end;
    int m_depth = 0;
};
} // namespace

bool QovJsonScan::isStrict(const QByteArray &text)
{
    return StrictValue(text.constData(), text.constData() + text.size()).wholeText();
}

#pragma once
#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <type_traits>
#include <vector>

// Helpers shared by the fuzz targets: reading a structured input out of the
// fuzzer's bytes, plain reference versions of the text operations that the
// targets compare against, and the check that stops a run on a broken
// invariant (libFuzzer then keeps the input as a crash artifact).
namespace fuzz {

[[noreturn]] inline void fail(const char* what, const QString& detail)
{
    std::fprintf(stderr, "broken invariant: %s\n%s\n", what, detail.toUtf8().constData());
    std::abort();
}

inline void expect(bool holds, const char* what, const QString& detail = QString())
{
    if (!holds)
        fail(what, detail);
}

template <typename T>
QString shown(const T& value)
{
    if constexpr (std::is_same_v<T, std::u16string>)
        return QString::fromStdU16String(value);
    else if constexpr (std::is_same_v<T, QString>)
        return value;
    else
        return QString::number(value);
}

// expect(actual == expected) with both values in the message.
template <typename A, typename B>
void expect_equal(const A& actual, const B& expected, const char* what, const QString& input)
{
    if (!(actual == expected))
        fail(what, QStringLiteral("input:    [%1]\nactual:   [%2]\nexpected: [%3]")
                       .arg(input, shown(actual), shown(expected)));
}

// The fuzzer's bytes read front to back; reads past the end give zeros and
// empty texts.
class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    std::uint8_t byte() { return pos_ < size_ ? data_[pos_++] : 0; }

    // The bytes up to the next newline (which is dropped), or to the end.
    QByteArray field()
    {
        const std::size_t start = pos_;
        while (pos_ < size_ && data_[pos_] != '\n')
            ++pos_;
        QByteArray bytes(reinterpret_cast<const char*>(data_ + start), qsizetype(pos_ - start));
        if (pos_ < size_)
            ++pos_;
        return bytes;
    }

    QByteArray rest()
    {
        QByteArray bytes(reinterpret_cast<const char*>(data_ + pos_), qsizetype(size_ - pos_));
        pos_ = size_;
        return bytes;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

inline std::u16string u16(const QString& text) { return text.toStdU16String(); }

// Every occurrence, left to right, without overlaps; an empty pattern
// changes nothing.
inline std::u16string replace_all(std::u16string text, const std::u16string& from, const std::u16string& to)
{
    if (from.empty())
        return text;
    std::u16string result;
    std::size_t pos = 0;
    for (std::size_t hit; (hit = text.find(from, pos)) != std::u16string::npos; pos = hit + from.size())
        result.append(text, pos, hit - pos).append(to);
    result.append(text, pos, std::u16string::npos);
    return result;
}

inline std::vector<std::u16string> split(const std::u16string& text, const std::u16string& separator)
{
    std::vector<std::u16string> pieces;
    std::size_t pos = 0;
    for (std::size_t hit; (hit = text.find(separator, pos)) != std::u16string::npos; pos = hit + separator.size())
        pieces.push_back(text.substr(pos, hit - pos));
    pieces.push_back(text.substr(pos));
    return pieces;
}

// The decimal number at text[pos]: an optional sign, digits, a point and
// digits, with at least one digit. Empty when there is none; the rules of
// both number readers start with it and differ only in what they do next.
inline std::string leading_decimal(const std::u16string& text, std::size_t pos)
{
    std::string ascii;
    if (pos < text.size() && (text[pos] == u'+' || text[pos] == u'-'))
        ascii += char(text[pos++]);
    bool digits = false;
    for (; pos < text.size() && text[pos] >= u'0' && text[pos] <= u'9'; ++pos, digits = true)
        ascii += char(text[pos]);
    if (pos < text.size() && text[pos] == u'.') {
        ascii += '.';
        for (++pos; pos < text.size() && text[pos] >= u'0' && text[pos] <= u'9'; ++pos, digits = true)
            ascii += char(text[pos]);
    }
    return digits ? ascii : std::string();
}

inline bool contains(const std::u16string& text, const std::u16string& part)
{
    return text.find(part) != std::u16string::npos;
}

}  // namespace fuzz

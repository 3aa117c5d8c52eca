#include "setup/NativeFileNames.h"

#include <QByteArray>
#include <QFile>

namespace zvx {

namespace {

constexpr char16_t kEscapeBase = 0xDC00;  // a byte b >= 0x80 travels as U+DC00 + b

bool isEscape(QChar c)
{
    return c.unicode() >= kEscapeBase + 0x80 && c.unicode() <= kEscapeBase + 0xFF;
}

// The length of the valid UTF-8 character at bytes[i], 0 when there is none
// there (a stray continuation byte, a cut sequence, an overlong form, an
// encoded surrogate, a value above U+10FFFF).
std::size_t validUtf8Length(std::string_view bytes, std::size_t i, char32_t& codePoint)
{
    const auto lead = static_cast<unsigned char>(bytes[i]);
    std::size_t length = 0;
    char32_t minimum = 0;
    if (lead < 0x80) {
        codePoint = lead;
        return 1;
    }
    if ((lead & 0xE0) == 0xC0) {
        length = 2;
        minimum = 0x80;
        codePoint = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        minimum = 0x800;
        codePoint = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        minimum = 0x10000;
        codePoint = lead & 0x07;
    } else {
        return 0;
    }
    if (i + length > bytes.size())
        return 0;
    for (std::size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(bytes[i + k]);
        if ((next & 0xC0) != 0x80)
            return 0;
        codePoint = (codePoint << 6) | (next & 0x3F);
    }
    if (codePoint < minimum || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
        return 0;
    return length;
}

} // namespace

QString fileNameFromNative(std::string_view bytes)
{
    const QByteArray raw(bytes.data(), static_cast<qsizetype>(bytes.size()));
    const QString plain = QFile::decodeName(raw);
    if (QFile::encodeName(plain) == raw)
        return plain;
    QString name;
    for (std::size_t i = 0; i < bytes.size();) {
        char32_t codePoint = 0;
        if (const std::size_t length = validUtf8Length(bytes, i, codePoint)) {
            name += QString::fromUcs4(&codePoint, 1);
            i += length;
        } else {
            name += QChar(static_cast<char16_t>(kEscapeBase + static_cast<unsigned char>(bytes[i])));
            ++i;
        }
    }
    return name;
}

std::string nativeFileName(const QString& name)
{
    bool escaped = false;
    for (QChar c : name)
        escaped = escaped || isEscape(c);
    if (!escaped)
        return QFile::encodeName(name).toStdString();
    std::string bytes;
    QString run;  // ordinary characters since the last escape
    for (qsizetype i = 0; i < name.size(); ++i) {
        const QChar c = name[i];
        if (c.isHighSurrogate() && i + 1 < name.size() && name[i + 1].isLowSurrogate()) {
            run += c;
            run += name[++i];
        } else if (isEscape(c)) {
            bytes += QFile::encodeName(run).toStdString();
            run.clear();
            bytes += static_cast<char>(c.unicode() - kEscapeBase);
        } else {
            run += c;
        }
    }
    bytes += QFile::encodeName(run).toStdString();
    return bytes;
}

} // namespace zvx

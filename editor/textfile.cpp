// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "textfile.h"

#include "gsierror.h"
#include "outputfile.h"
#include "shownname.h"

#include <QDir>
#include <QFileInfo>
#include <QStringConverter>
#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace TextFile {

QString diskName(const QString& name) { return name.startsWith(u':') ? u"./"_s + name : name; }

static QString displayName(const QString& name)
{
    return QDir::toNativeSeparators(QFileInfo(diskName(name)).absoluteFilePath());
}

// Full paths, so that every message names the file wherever it lies.
static std::filesystem::path fullPath(const QString& name)
{
    return nativePath(QFileInfo(diskName(name)).absoluteFilePath());
}

static QString errorText(int number, const QString& description)
{
    return u"Fejl %1: %2"_s.arg(number).arg(description);
}

template <typename Outcome> static Outcome failed(const GsiError& error)
{
    Outcome outcome;
    outcome.errorNumber = error.number();
    // A name may hold characters that would rewrite the message: they are shown as escapes.
    outcome.error
        = errorText(error.number(), QString::fromStdString(visiblyEscaped(error.description())));
    return outcome;
}

LineEnd firstLineEnd(const QByteArray& bytes)
{
    const auto end
        = std::find_if(bytes.begin(), bytes.end(), [](char c) { return c == '\r' || c == '\n'; });
    if (end == bytes.end())
        return LineEnd::CrLf;
    if (*end == '\n')
        return LineEnd::Lf;
    return end + 1 != bytes.end() && *(end + 1) == '\n' ? LineEnd::CrLf : LineEnd::Cr;
}

QString decode(const QByteArray& bytes)
{
    QStringDecoder decoder(eightBitEncoding());
    return decoder(bytes);
}

static QByteArray encode(QStringView text)
{
    QStringEncoder encoder(eightBitEncoding());
    return encoder(text);
}

// Some encoders replace what they cannot hold without saying so; a character survives only if
// it comes back unchanged.
static bool fits(QStringView text) { return decode(encode(text)) == text; }

static QString refusal(const QString& name, const QString& text)
{
    int line = 1;
    qsizetype lineStart = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == u'\n') {
            ++line;
            lineStart = i + 1;
            continue;
        }
        const qsizetype length = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QStringView character = QStringView(text).mid(i, length);
        if (!fits(character)) {
            const char32_t code = length == 2 ? QChar::surrogateToUcs4(text.at(i), text.at(i + 1))
                                              : char32_t(text.at(i).unicode());
            return u"Filen %1 kan ikke gemmes: tegnet \"%2\" (U+%3) i linje %4, kolonne %5 kan "
                   "ikke skrives som 8-bit tekst. Der er intet skrevet."_s.arg(displayName(name))
                       .arg(character.toString())
                       .arg(uint(code), 4, 16, QChar(u'0'))
                       .arg(line)
                       .arg(i - lineStart + 1);
        }
        i += length - 1;
    }
    return u"Filen %1 kan ikke gemmes: teksten kan ikke skrives som 8-bit tekst. Der er intet "
           "skrevet."_s.arg(displayName(name));
}

ReadResult read(const QString& name)
{
    try {
        InputFile file(fullPath(name), MaxFileBytes);
        const std::string read = file.readAll();
        const QByteArray bytes = QByteArray::fromRawData(read.data(), qsizetype(read.size()));
        ReadResult result;
        result.ok = true;
        result.lineEnd = firstLineEnd(bytes);
        result.text = decode(bytes);
        result.origin = { file.openedPath(), file.origin(), file.ownOrigin(), file.identity(),
            std::make_shared<const HeldFolder>(file.openedFolder()) };
        return result;
    } catch (const GsiError& error) {
        return failed<ReadResult>(error);
    } catch (const std::bad_alloc&) {
        return failed<ReadResult>(GsiError(GsiError::OutOfMemory,
            "Der er ikke hukommelse nok til at åbne " + displayName(name).toStdString()));
    }
}

Result write(const QString& name, const QString& text, LineEnd lineEnd, const FileOrigin& from,
    const Origin* replacing)
{
    Result result;
    if (!fits(text)) {
        // The text's fault, not the file's: there is no error number for it.
        result.error = refusal(name, text);
        return result;
    }
    QString withEnds = text;
    if (lineEnd != LineEnd::Lf)
        withEnds.replace(u'\n', lineEnd == LineEnd::CrLf ? u"\r\n"_s : u"\r"_s);
    const QByteArray bytes = encode(withEnds);
    try {
        const bool back = replacing && !replacing->path.empty() && replacing->folder;
        const std::filesystem::path target = back ? replacing->path : fullPath(name);
        const auto folder
            = back ? replacing->folder : std::make_shared<const HeldFolder>(target, true);
        OutputFile file(*folder, target, replacing ? replacing->ownRights : from,
            replacing ? &replacing->identity : nullptr);
        file.write(std::string_view(bytes.constData(), std::size_t(bytes.size())));
        file.commit();
        result.ok = true;
        result.origin = { target, replacing ? replacing->rights : from,
            replacing ? replacing->ownRights : from, file.identity(), folder };
        return result;
    } catch (const GsiError& error) {
        return failed<Result>(error);
    }
}

} // namespace TextFile

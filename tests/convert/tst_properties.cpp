// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Properties that hold for every input, checked on a fixed sequence of random
// files that mix well-formed GSI-16 lines with broken ones. The seed is fixed,
// so every run sees the same inputs and a failure names the input it met.

#include "coretest.h"
#include "gsicheck.h"
#include "gsierror.h"
#include "module1.h"
#include "platformtest.h"

#include <QtTest>

#include <array>
#include <random>

using Module1::Conversion;

namespace {

constexpr int Inputs = 100000;
constexpr std::uint32_t Seed = 20261208;

// The lines of a file as the conversions must see them, by the fuzz target's
// own independent reading.
QByteArrayList splitLines(const QByteArray& bytes)
{
    QByteArrayList lines;
    for (const std::string& line :
        GsiCheck::lines(std::string_view(bytes.constData(), std::size_t(bytes.size()))))
        lines.append(QByteArray(line.data(), qsizetype(line.size())));
    return lines;
}

// Output lines all end in CR LF; anything else after the last one is a fault.
bool splitOutput(const QByteArray& bytes, QByteArrayList& lines)
{
    lines.clear();
    if (bytes.isEmpty())
        return true;
    if (!bytes.endsWith("\r\n"))
        return false;
    lines = bytes.chopped(2).split('\n');
    for (QByteArray& line : lines) {
        if (&line != &lines.last()) {
            if (!line.endsWith('\r'))
                return false;
            line.chop(1);
        }
    }
    return true;
}

QByteArrayList keptLines(Conversion kind, const QByteArrayList& lines)
{
    if (kind == Conversion::Profile)
        return lines;
    QByteArrayList kept;
    for (const QByteArray& line : lines)
        if (line.indexOf("74....") < 1)
            kept.append(line);
    return kept;
}

class InputMaker {
public:
    explicit InputMaker(std::uint32_t seed)
        : m_engine(seed)
    {
    }

    QByteArray next()
    {
        QByteArray file;
        const int lines = int(pick(12)) + (pick(8) == 0 ? int(pick(40)) : 0);
        for (int i = 0; i < lines; ++i) {
            file += line();
            const bool last = i + 1 == lines;
            switch (pick(last ? 5 : 4)) {
            case 0:
            case 1:
                file += "\r\n";
                break;
            case 2:
                file += '\n';
                break;
            case 3:
                file += '\r';
                break;
            default:
                break; // no end after the last line
            }
        }
        return file;
    }

private:
    std::uint32_t pick(std::uint32_t n) { return std::uint32_t(m_engine() % n); }

    char sign()
    {
        static const char signs[] = { '+', '-', '+', '-', ' ', '0' };
        return signs[pick(sizeof signs)];
    }

    QByteArray word()
    {
        static const char* const indexes[]
            = { "11", "71", "72", "73", "74", "81", "82", "83", "41", "21" };
        static const char* const infos[] = { "....", "..10", "...0", "0001", "..46" };
        QByteArray data;
        if (pick(10) == 0) {
            data = "00000000STRAIGHT";
        } else {
            for (int i = 0; i < 16; ++i)
                data += char('0' + pick(10));
        }
        return QByteArray(indexes[pick(std::size(indexes))]) + infos[pick(std::size(infos))]
            + sign() + data + ' ';
    }

    QByteArray line()
    {
        QByteArray line = pick(10) == 0 ? QByteArray("*") : QByteArray(1, char('!' + pick(90)));
        const int words = int(pick(8));
        for (int i = 0; i < words; ++i)
            line += word();
        switch (pick(8)) {
        case 0: // cut short anywhere
            line.truncate(qsizetype(pick(std::uint32_t(line.size()) + 1)));
            break;
        case 1: { // a mark planted at a random column, the first one included
            static const char* const marks[]
                = { "74....", "82..10-", "71....+00000000STRAIGHT", "71....+00000000straight" };
            line.insert(qsizetype(pick(std::uint32_t(line.size()) + 1)), marks[pick(4)]);
            break;
        }
        case 2: // bytes of any value except line ends
            for (int i = int(pick(200)); i > 0; --i) {
                char c = char(pick(256));
                line += (c == '\r' || c == '\n') ? 'x' : c;
            }
            break;
        case 3: // an overwritten byte
            if (!line.isEmpty())
                line[pick(std::uint32_t(line.size()))] = char('!' + pick(90));
            break;
        default:
            break;
        }
        return line;
    }

    std::mt19937 m_engine;
};

QString shown(const QByteArray& bytes)
{
    return QString::fromLatin1(bytes.left(300).toPercentEncoding(" *.+-"));
}

enum class Property { NoCrash, LineCount, FirstLine, ProfileTwice, AlignmentColumns };
constexpr int PropertyCount = 5;

// What one pass over all inputs found for each property: how many lines it was
// checked on, and the first input that broke it.
struct Findings {
    std::array<qint64, PropertyCount> checked {};
    std::array<QString, PropertyCount> failure;
};

Findings checkAllInputs()
{
    Findings found;
    InputMaker maker(Seed);
    QByteArrayList out;
    const auto broke = [&](Property property, int n, const QByteArray& input, const QString& what) {
        QString& failure = found.failure[int(property)];
        if (failure.isEmpty())
            failure = QStringLiteral("input %1: %2\n%3").arg(n).arg(what, shown(input));
    };
    const auto checked
        = [&](Property property, qint64 lines = 1) { found.checked[int(property)] += lines; };

    for (int n = 0; n < Inputs; ++n) {
        const QByteArray input = maker.next();
        const QByteArrayList lines = splitLines(input);
        for (const Conversion kind : { Conversion::Alignment, Conversion::Profile }) {
            QByteArray bytes;
            try {
                bytes = CoreTest::convertBytes(kind, input);
            } catch (const GsiError& error) {
                broke(Property::NoCrash, n, input,
                    QStringLiteral("error %1 below the limit").arg(error.number()));
                continue;
            }
            checked(Property::NoCrash);
            const QByteArrayList kept = keptLines(kind, lines);
            if (!splitOutput(bytes, out) || out.size() != kept.size()) {
                broke(Property::LineCount, n, input, QStringLiteral("line count differs"));
                continue;
            }
            checked(Property::LineCount, out.size());
            if (!kept.isEmpty()) {
                if (out.first() != kept.first())
                    broke(Property::FirstLine, n, input, QStringLiteral("first line changed"));
                checked(Property::FirstLine);
            }

            if (kind == Conversion::Profile) {
                QByteArrayList twice;
                if (!splitOutput(CoreTest::convertBytes(kind, bytes), twice)
                    || twice.size() != lines.size()) {
                    broke(Property::ProfileTwice, n, input, QStringLiteral("lines lost"));
                    continue;
                }
                for (qsizetype i = 1; i < lines.size(); ++i) {
                    const char sign = lines[i].size() >= 56 ? lines[i][55] : '\0';
                    if (sign != '+' && sign != '-')
                        continue;
                    if (twice[i] != lines[i].left(96))
                        broke(Property::ProfileTwice, n, input,
                            QStringLiteral("line %1 not given back").arg(i + 1));
                    checked(Property::ProfileTwice);
                }
            } else {
                for (qsizetype i = 1; i < kept.size(); ++i) {
                    const QByteArray& line = kept[i];
                    if (line.size() < 97 || line.indexOf("82..10-") < 1)
                        continue;
                    if (out[i].left(55) != line.left(55) || out[i].mid(56, 41) != line.mid(56, 41))
                        broke(Property::AlignmentColumns, n, input,
                            QStringLiteral("kept line %1 changed in 1-55 or 57-97").arg(i + 1));
                    checked(Property::AlignmentColumns);
                }
            }
        }
    }
    return found;
}

}

Q_DECLARE_METATYPE(Property)

class PropertiesTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void propertyHoldsForEveryRandomInput_data();
    void propertyHoldsForEveryRandomInput();
    void everyFileNameKeepsItsBytesInTheOutputName();

private:
    Findings m_found;
};

void PropertiesTest::initTestCase()
{
    m_found = checkAllInputs();
    qInfo("%d random inputs, each converted both ways", Inputs);
}

void PropertiesTest::propertyHoldsForEveryRandomInput_data()
{
    QTest::addColumn<Property>("property");
    QTest::addColumn<qint64>("atLeast"); // lines it must have been checked on to mean anything
    QTest::newRow("no crash, no error below the limit") << Property::NoCrash << qint64(2 * Inputs);
    QTest::newRow("as many output lines as kept input lines")
        << Property::LineCount << qint64(Inputs);
    QTest::newRow("first kept line copied unchanged") << Property::FirstLine << qint64(Inputs);
    QTest::newRow("profile twice gives back signed lines cut after column 96")
        << Property::ProfileTwice << qint64(Inputs);
    QTest::newRow("alignment keeps columns 1-55 and 57-97 of coordinate lines")
        << Property::AlignmentColumns << qint64(Inputs / 10);
}

void PropertiesTest::propertyHoldsForEveryRandomInput()
{
    QFETCH(Property, property);
    QFETCH(qint64, atLeast);
    const QString& failure = m_found.failure[int(property)];
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
    const qint64 checked = m_found.checked[int(property)];
    QVERIFY2(checked >= atLeast, qPrintable(QStringLiteral("checked only %1 times").arg(checked)));
    qInfo("checked %lld times", checked);
}

void PropertiesTest::everyFileNameKeepsItsBytesInTheOutputName()
{
    if (PlatformTest::onWindows())
        QSKIP("Windows names are UTF-16; there are no raw bytes to keep");
    std::mt19937 engine(Seed);
    int escaped = 0;
    for (int n = 0; n < Inputs; ++n) {
        QByteArray name;
        for (int i = int(engine() % 24); i > 0; --i) {
            const std::uint32_t r = engine();
            // Mostly text, with UTF-8 sequences whole, cut or out of order.
            name += (r & 3) == 0 ? char(r >> 8) : (r & 3) == 1 ? "\xc3\xa6"[(r >> 8) & 1] : 'a';
        }
        name.replace('/', 'x');
        name.replace('\0', 'y');
        // The name reaches the file system as its own bytes, and the output's name
        // keeps every one of them before its new ending.
        const QByteArray input = "/road/" + name + ".gsi";
        const std::string output
            = Module1::outputPathFor(input.toStdString(), Conversion::Profile).string();
        escaped += QString::fromUtf8(name).toUtf8() == name ? 0 : 1;
        if (QByteArray::fromStdString(output) != "/road/" + name + "VPI.gsi")
            QFAIL(qPrintable(QStringLiteral("name %1 does not keep its bytes: %2")
                                 .arg(n)
                                 .arg(QString::fromLatin1(name.toHex()))));
    }
    QVERIFY(escaped > Inputs / 10);
    QVERIFY(escaped < Inputs);
}

QTEST_GUILESS_MAIN(PropertiesTest)
#include "tst_properties.moc"

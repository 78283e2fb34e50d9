// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "coretest.h"
#include "gsierror.h"
#include "gsisamples.h"
#include "module1.h"

#include <QDir>
#include <QOperatingSystemVersion>
#include <QTemporaryDir>
#include <QtTest>

#include <thread>
#include <vector>

using Module1::Conversion;
using namespace Gsi;

Q_DECLARE_METATYPE(Module1::Conversion)

namespace {

// The expected output of the worked alignment example, word by word.
const QByteArray WorkedAlignmentOut = "*11....+0000000000001250 71....+0000000000000002 "
                                      "72...0+0000000000250000 73...0+0000000000000000 "
                                      "81..10-0000000087654321 82..10+0000000012345678 ";

int errorNumber(Conversion kind, const QByteArray& input)
{
    try {
        CoreTest::convertBytes(kind, input);
    } catch (const GsiError& error) {
        return error.number();
    }
    return 0;
}

QByteArrayList repeated(const QByteArray& l, int n)
{
    QByteArrayList lines;
    for (int i = 0; i < n; ++i)
        lines.append(l);
    return lines;
}

}

class ConversionTest : public QObject {
    Q_OBJECT

private slots:
    void alignmentLinesComeOutAsTheRulesSay_data();
    void alignmentLinesComeOutAsTheRulesSay();
    void profileLinesComeOutAsTheRulesSay_data();
    void profileLinesComeOutAsTheRulesSay();
    void everyLineEndIsReadAndCrLfIsWritten_data();
    void everyLineEndIsReadAndCrLfIsWritten();
    void theLimitIsAThousandKeptLines_data();
    void theLimitIsAThousandKeptLines();
    void nothingOfAnEarlierFileLeaksIntoTheNext();
    void outputNamesFollowTheInputName_data();
    void outputNamesFollowTheInputName();
    void fileConversionWritesBesideTheInput();
    void conversionsOnManyThreadsKeepApart();
    void failuresNameTheFileAndLeaveTheOutputAlone_data();
    void failuresNameTheFileAndLeaveTheOutputAlone();
    void veryLongLinesAreReadWhole();
};

void ConversionTest::alignmentLinesComeOutAsTheRulesSay_data()
{
    QTest::addColumn<QByteArrayList>("input");
    QTest::addColumn<QByteArrayList>("expected");

    const QByteArray head = alignmentHeader();
    const QByteArray straight = word("71", "....", '+', "00000000STRAIGHT");

    QTest::newRow("worked example: sign inverted, words 5 and 6 rebuilt and exchanged")
        << QByteArrayList { head, coordinateLine() } << QByteArrayList { head, WorkedAlignmentOut };

    QByteArray plusOut = WorkedAlignmentOut;
    plusOut[55] = '-';
    QTest::newRow("a plus sign becomes minus")
        << QByteArrayList { head, coordinateLine(word("71", "....", '+', "2"), '+') }
        << QByteArrayList { head, plusOut };

    QByteArray straightOut = WorkedAlignmentOut;
    straightOut.replace(25, 23, "71....+00000000STRAIGHT");
    straightOut.replace(56, 16, "0000000000000000");
    QTest::newRow("the straight mark keeps word 3 positive") << QByteArrayList { head,
        coordinateLine(straight, '+', "0") } << QByteArrayList { head, straightOut };

    QByteArray lowerStraight = coordinateLine(word("71", "....", '+', "00000000straight"), '+');
    QByteArray lowerOut = plusOut;
    lowerOut.replace(25, 23, "71....+00000000straight");
    QTest::newRow("the straight mark is case-sensitive")
        << QByteArrayList { head, lowerStraight } << QByteArrayList { head, lowerOut };

    QTest::newRow("the first line is copied even when it holds the coordinate mark")
        << QByteArrayList { coordinateLine(), coordinateLine() }
        << QByteArrayList { coordinateLine(), WorkedAlignmentOut };

    const QByteArray dropped = line({ word("11", "....", '+', "1"), word("74", "....", '+', "9") });
    QTest::newRow("a drop mark from column 2 on drops the line") << QByteArrayList { head, dropped,
        coordinateLine() } << QByteArrayList { head, WorkedAlignmentOut };
    QTest::newRow("a drop mark inside data drops the line")
        << QByteArrayList { head, "*11....+000000000074.... ", coordinateLine() }
        << QByteArrayList { head, WorkedAlignmentOut };
    QTest::newRow("a dropped first line makes the next one first")
        << QByteArrayList { dropped, coordinateLine(), coordinateLine() }
        << QByteArrayList { coordinateLine(), WorkedAlignmentOut };
    QTest::newRow("a drop mark at column 1 keeps the line")
        << QByteArrayList { head, "74....x" } << QByteArrayList { head, "74....x " };

    // Without the coordinate mark: columns 1 to 96, word 6 data, word 5 data, a space.
    const QByteArray plain = line({ word("11", "....", '+', "1250"), word("71", "....", '+', "2"),
        word("72", "...0", '-', "250000"), word("73", "...0", '+', "0"),
        word("81", "..10", '+', "12345678"), word("82", "..10", '+', "87654321") });
    QTest::newRow("without the coordinate mark the sign stays and data are exchanged")
        << QByteArrayList { head, plain }
        << QByteArrayList { head, plain.left(96) + "00000000876543210000000012345678 " };
    QTest::newRow("a four-word line of 97 characters comes out unchanged")
        << QByteArrayList { head, plain.left(97) } << QByteArrayList { head, plain.left(97) };
    QTest::newRow("a short line gets one space") << QByteArrayList { head,
        "*11....+0000000000001250" } << QByteArrayList { head, "*11....+0000000000001250 " };
    QTest::newRow("an empty line becomes one space")
        << QByteArrayList { head, "" } << QByteArrayList { head, " " };
    QTest::newRow("the straight mark alone changes nothing")
        << QByteArrayList { head, plain.left(25) + straight + plain.mid(49, 48) }
        << QByteArrayList { head, plain.left(25) + straight + plain.mid(49, 47) + ' ' };

    // The coordinate mark on short lines: the built words have what data there is.
    const QByteArray shortMarked = coordinateLine().left(97) + "82..10-";
    QTest::newRow("a marked line shorter than 105 builds words without data")
        << QByteArrayList { head, shortMarked }
        << QByteArrayList { head, WorkedAlignmentOut.left(97) + "81..10- 82..10+ " };
    const QByteArray mid = coordinateLine().left(112) + "82..10-";
    QTest::newRow("a marked line of 105 to 128 characters keeps word 5 data it has")
        << QByteArrayList { head, mid }
        << QByteArrayList { head, WorkedAlignmentOut.left(97) + "81..10- 82..10+0000000082..10- " };

    // The mark at column 1: built words start "81..10+", the tail is the line's own.
    const QByteArray atOne = "82..10-" + coordinateLine().mid(7);
    QTest::newRow("the coordinate mark at column 1 keeps the line's own sign")
        << QByteArrayList { head, atOne }
        << QByteArrayList { head,
               atOne.left(97) + "81..10+0000000087654321 82..10+0000000012345678 " };

    QByteArray noSign = coordinateLine();
    noSign[55] = '0';
    QTest::newRow("no sign and no straight mark: columns 56 to 97 stay as they are")
        << QByteArrayList { head, noSign }
        << QByteArrayList { head,
               noSign.left(97) + "81..10-0000000087654321 82..10+0000000012345678 " };
    QTest::newRow("anything past column 145 is not written")
        << QByteArrayList { head, coordinateLine() + "99....+0000000000000001 " }
        << QByteArrayList { head, WorkedAlignmentOut };
}

void ConversionTest::alignmentLinesComeOutAsTheRulesSay()
{
    QFETCH(QByteArrayList, input);
    QFETCH(QByteArrayList, expected);
    QCOMPARE(CoreTest::convertBytes(Conversion::Alignment, crlf(input)), crlf(expected));
}

void ConversionTest::profileLinesComeOutAsTheRulesSay_data()
{
    QTest::addColumn<QByteArrayList>("input");
    QTest::addColumn<QByteArrayList>("expected");

    const QByteArray head = line({ word("41", "0001", '+', "00000000VERTICAL") });
    const QByteArray four
        = line({ word("11", "....", '+', "1250"), word("83", "..10", '+', "12500"),
            word("72", "...0", '-', "4000"), word("73", "...0", '+', "0") });
    const QByteArray fourOut = "*11....+0000000000001250 83..10+0000000000012500 "
                               "72...0+0000000000004000 73...0+0000000000000000";

    QTest::newRow("worked example: sign inverted, cut after column 96")
        << QByteArrayList { head, four } << QByteArrayList { head, fourOut };
    QByteArray plus = four;
    plus[55] = '+';
    QByteArray plusOut = fourOut;
    plusOut[55] = '-';
    QTest::newRow("a plus sign becomes minus")
        << QByteArrayList { head, plus } << QByteArrayList { head, plusOut };
    QTest::newRow("the first line is copied unchanged")
        << QByteArrayList { four, four } << QByteArrayList { four, fourOut };
    QTest::newRow("a six-word line keeps its first four words") << QByteArrayList { head,
        four + word("81", "..10", '+', "1") + word("82", "..10", '-', "2") }
                                                                << QByteArrayList { head, fourOut };
    QTest::newRow("a line shorter than 56 is unchanged")
        << QByteArrayList { head, four.left(50) } << QByteArrayList { head, four.left(50) };
    QTest::newRow("a line of 56 ending in a sign gets the sign inverted")
        << QByteArrayList { head, four.left(56) } << QByteArrayList { head, fourOut.left(56) };
    QByteArray blank = four;
    blank[55] = ' ';
    QTest::newRow("neither sign: column 56 is left out") << QByteArrayList { head,
        blank } << QByteArrayList { head, four.left(55) + four.mid(56, 40) };
    QTest::newRow("no text is searched: marks are treated like any line") << QByteArrayList {
        head, four.left(25) + word("74", "....", '+', "0").left(23) + four.mid(48)
    } << QByteArrayList { head, four.left(25) + "74....+0000000000000000" + fourOut.mid(48) };
    QTest::newRow("an empty line stays empty")
        << QByteArrayList { head, "" } << QByteArrayList { head, "" };
}

void ConversionTest::profileLinesComeOutAsTheRulesSay()
{
    QFETCH(QByteArrayList, input);
    QFETCH(QByteArrayList, expected);
    QCOMPARE(CoreTest::convertBytes(Conversion::Profile, crlf(input)), crlf(expected));
}

void ConversionTest::everyLineEndIsReadAndCrLfIsWritten_data()
{
    QTest::addColumn<Conversion>("kind");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("empty file gives an empty output")
        << Conversion::Alignment << QByteArray() << QByteArray();
    QTest::newRow("empty profile gives an empty output")
        << Conversion::Profile << QByteArray() << QByteArray();
    const QByteArray dropped = "*11....+0000000000000001 74....+0000000000000001 ";
    QTest::newRow("all lines dropped gives an empty output")
        << Conversion::Alignment << QByteArray(dropped + "\r\n" + dropped + "\n") << QByteArray();
    QTest::newRow("one line without a line end")
        << Conversion::Profile << QByteArray("*first") << QByteArray("*first\r\n");
    QTest::newRow("CR LF") << Conversion::Profile << QByteArray("*a\r\nb\r\n")
                           << QByteArray("*a\r\nb\r\n");
    QTest::newRow("lone CR") << Conversion::Profile << QByteArray("*a\rb\r")
                             << QByteArray("*a\r\nb\r\n");
    QTest::newRow("lone LF") << Conversion::Profile << QByteArray("*a\nb\n")
                             << QByteArray("*a\r\nb\r\n");
    QTest::newRow("no final line end")
        << Conversion::Profile << QByteArray("*a\r\nb") << QByteArray("*a\r\nb\r\n");
    QTest::newRow("CR CR is an empty line between")
        << Conversion::Alignment << QByteArray("*a\r\rb\r") << QByteArray("*a\r\n \r\nb \r\n");
    QTest::newRow("mixed line ends") << Conversion::Profile << QByteArray("*a\nb\r\nc\rd")
                                     << QByteArray("*a\r\nb\r\nc\r\nd\r\n");
    QByteArray bytes(256, '\0');
    for (int i = 0; i < 256; ++i)
        bytes[i] = char(i == '\r' || i == '\n' ? 'x' : i);
    QTest::newRow("every byte value passes through the first line")
        << Conversion::Profile << QByteArray(bytes + "\n") << QByteArray(bytes + "\r\n");
}

void ConversionTest::everyLineEndIsReadAndCrLfIsWritten()
{
    QFETCH(Conversion, kind);
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, expected);
    QCOMPARE(CoreTest::convertBytes(kind, input), expected);
}

void ConversionTest::theLimitIsAThousandKeptLines_data()
{
    QTest::addColumn<Conversion>("kind");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("error");

    const QByteArray l = "*11....+0000000000000001 ";
    const QByteArray dropped = "*11....+0000000000000001 74....+0000000000000001 ";
    QTest::newRow("profile of 1000 lines converts")
        << Conversion::Profile << crlf(repeated(l, 1000)) << 0;
    QTest::newRow("profile of 1001 lines is refused")
        << Conversion::Profile << crlf(repeated(l, 1001)) << 9;
    QTest::newRow("1001 lines without a final line end are refused")
        << Conversion::Profile << crlf(repeated(l, 1000)) + l << 9;
    QTest::newRow("alignment of 1000 lines converts")
        << Conversion::Alignment << crlf(repeated(l, 1000)) << 0;
    QTest::newRow("alignment of 1001 lines is refused")
        << Conversion::Alignment << crlf(repeated(l, 1001)) << 9;
    QTest::newRow("dropped lines do not count toward the limit")
        << Conversion::Alignment << crlf(repeated(dropped, 500) + repeated(l, 1000)) << 0;
    QTest::newRow("a line after 1000 kept ones is refused even when it would be dropped")
        << Conversion::Alignment << crlf(repeated(l, 1000) + QByteArrayList { dropped }) << 9;
}

void ConversionTest::theLimitIsAThousandKeptLines()
{
    QFETCH(Conversion, kind);
    QFETCH(QByteArray, input);
    QFETCH(int, error);
    QCOMPARE(errorNumber(kind, input), error);
    if (error == 0)
        QCOMPARE(CoreTest::convertBytes(kind, input).count("\r\n"), 1000);
}

void ConversionTest::nothingOfAnEarlierFileLeaksIntoTheNext()
{
    // A long file first fills many slots; a short file then must show only its own lines.
    const QByteArray head = alignmentHeader();
    CoreTest::convertBytes(Conversion::Alignment, crlf(repeated(coordinateLine(), 50)));
    QCOMPARE(
        CoreTest::convertBytes(Conversion::Alignment, crlf({ head, "*x" })), crlf({ head, "*x " }));
    QCOMPARE(CoreTest::convertBytes(Conversion::Alignment, QByteArray()), QByteArray());

    // A line with the mark at column 1 takes nothing from a slot an earlier line filled.
    const QByteArray atOne = "82..10-" + coordinateLine().mid(7);
    const QByteArray out = CoreTest::convertBytes(Conversion::Alignment, crlf({ head, atOne }));
    QCOMPARE(out.mid(head.size() + 2 + 55, 42), atOne.mid(55, 42));
}

void ConversionTest::outputNamesFollowTheInputName_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("name");
    QTest::addColumn<Conversion>("kind");
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("output");

    const QString sep = QDir::separator();
    QTest::newRow("alignment") << "/road"
                               << "al17.gsi" << Conversion::Alignment
                               << QDir::toNativeSeparators("/road") + sep + "al17.gsi"
                               << QDir::toNativeSeparators("/road") + sep + "al17PI.gsi";
    QTest::newRow("profile") << "/road"
                             << "pr17.gsi" << Conversion::Profile
                             << QDir::toNativeSeparators("/road") + sep + "pr17.gsi"
                             << QDir::toNativeSeparators("/road") + sep + "pr17VPI.gsi";
    QTest::newRow("a root gives two separators")
        << "/"
        << "al17.gsi" << Conversion::Alignment << QDir::toNativeSeparators("/") + sep + "al17.gsi"
        << QDir::toNativeSeparators("/") + sep + "al17PI.gsi";
    if (QOperatingSystemVersion::currentType() == QOperatingSystemVersion::Windows)
        QTest::newRow("a drive root gives two separators")
            << "C:\\"
            << "al17.gsi" << Conversion::Alignment << "C:\\\\al17.gsi"
            << "C:\\\\al17PI.gsi";
    QTest::newRow("an output converted again")
        << "/road"
        << "al17PI.gsi" << Conversion::Alignment
        << QDir::toNativeSeparators("/road") + sep + "al17PI.gsi"
        << QDir::toNativeSeparators("/road") + sep + "al17PIPI.gsi";
    QTest::newRow("a profile output converted again")
        << "/road"
        << "pr17VPI.gsi" << Conversion::Profile
        << QDir::toNativeSeparators("/road") + sep + "pr17VPI.gsi"
        << QDir::toNativeSeparators("/road") + sep + "pr17VPIVPI.gsi";
    QTest::newRow("the last four characters are letters, not bytes")
        << "/road"
        << "vej\u00e6\u00f8\u00e5\u00e9" << Conversion::Profile
        << QDir::toNativeSeparators("/road") + sep + "vej\u00e6\u00f8\u00e5\u00e9"
        << QDir::toNativeSeparators("/road") + sep + "vejVPI.gsi";
    QTest::newRow("the last four characters go whatever they are")
        << "/road"
        << "AL17.GSI" << Conversion::Alignment
        << QDir::toNativeSeparators("/road") + sep + "AL17.GSI"
        << QDir::toNativeSeparators("/road") + sep + "AL17PI.gsi";
}

void ConversionTest::outputNamesFollowTheInputName()
{
    QFETCH(QString, folder);
    QFETCH(QString, name);
    QFETCH(Conversion, kind);
    QFETCH(QString, input);
    QFETCH(QString, output);
    QCOMPARE(
        CoreTest::text(Module1::inputPathFor(CoreTest::path(folder), CoreTest::path(name))), input);
    QCOMPARE(CoreTest::text(Module1::outputPathFor(CoreTest::path(input), kind)), output);
}

void ConversionTest::fileConversionWritesBesideTheInput()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString input = dir.filePath("al17.gsi");
    const QByteArray head = alignmentHeader();
    QVERIFY(writeFile(input, head + "\n" + coordinateLine() + "\n"));
    QVERIFY(writeFile(dir.filePath("al17PI.gsi"), "an older output, replaced without asking"));

    const Module1::Result result = Module1::ConvertAlignment(CoreTest::path(input));

    QVERIFY2(result.ok(), result.description.c_str());
    QCOMPARE(CoreTest::text(result.output), dir.filePath("al17PI.gsi"));
    QCOMPARE(readFile(dir.filePath("al17PI.gsi")), crlf({ head, WorkedAlignmentOut }));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
        QStringList({ "al17.gsi", "al17PI.gsi" }));
}

void ConversionTest::conversionsOnManyThreadsKeepApart()
{
    // Files of different lengths and kinds, converted at the same time: no call may see another's
    // lines.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    constexpr int files = 6;
    std::vector<std::filesystem::path> inputs;
    std::vector<QByteArray> expected;
    for (int i = 0; i < files; ++i) {
        const bool alignment = i % 2 == 0;
        const QString name = dir.filePath(QString(alignment ? "al%1.gsi" : "pr%1.gsi").arg(i));
        const QByteArray input = crlf(
            repeated(alignment ? coordinateLine() : QByteArray("*pr" + QByteArray::number(i)),
                10 + 150 * i));
        QVERIFY(writeFile(name, input));
        inputs.push_back(CoreTest::path(name));
        expected.push_back(
            CoreTest::convertBytes(alignment ? Conversion::Alignment : Conversion::Profile, input));
    }
    std::vector<QByteArray> got(files);
    std::vector<std::thread> threads;
    for (int i = 0; i < files; ++i)
        threads.emplace_back([&, i] {
            for (int round = 0; round < 20; ++round) {
                const Module1::Result result = Module1::convertFile(
                    i % 2 == 0 ? Conversion::Alignment : Conversion::Profile, inputs[i]);
                const QByteArray bytes
                    = result.ok() ? readFile(CoreTest::text(result.output)) : QByteArray();
                if (round == 0 || bytes != expected[i])
                    got[i] = bytes;
            }
        });
    for (std::thread& thread : threads)
        thread.join();
    for (int i = 0; i < files; ++i)
        QCOMPARE(got[i], expected[i]);
}

void ConversionTest::failuresNameTheFileAndLeaveTheOutputAlone_data()
{
    QTest::addColumn<QString>("case_");
    QTest::addColumn<int>("error");
    QTest::newRow("input vanished") << "vanished" << 53;
    QTest::newRow("folder vanished") << "folder" << 76;
    QTest::newRow("output name is a folder") << "outputdir" << 75;
    QTest::newRow("more than 1000 lines") << "long" << 9;
    QTest::newRow("input name is a folder") << "inputdir" << 75;
    QTest::newRow("read-only output, whoever runs the program") << "readonly" << 70;
}

void ConversionTest::failuresNameTheFileAndLeaveTheOutputAlone()
{
    QFETCH(QString, case_);
    QFETCH(int, error);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString input = dir.filePath("pr5.gsi");
    const QString output = dir.filePath("pr5VPI.gsi");
    const QByteArray old = "the existing output\r\n";
    QVERIFY(writeFile(input, "*a\r\n*b\r\n"));
    QVERIFY(writeFile(output, old));
    std::filesystem::path inputPath = CoreTest::path(input);

    if (case_ == "vanished")
        QVERIFY(QFile::remove(input));
    if (case_ == "folder")
        inputPath = CoreTest::path(dir.filePath("gone/pr5.gsi"));
    if (case_ == "outputdir") {
        QVERIFY(QFile::remove(output));
        QVERIFY(QDir(dir.path()).mkdir("pr5VPI.gsi"));
        QVERIFY(writeFile(output + "/inside", old));
    }
    if (case_ == "long")
        QVERIFY(writeFile(input, crlf(repeated("*x", 1001))));
    if (case_ == "inputdir") {
        QVERIFY(QFile::remove(input));
        QVERIFY(QDir(dir.path()).mkdir("pr5.gsi"));
    }
    if (case_ == "readonly")
        QVERIFY(
            QFile::setPermissions(output, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    const QFile::Permissions permissions = QFile::permissions(output);
    const QStringList before = QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden);

    const Module1::Result result = Module1::ConvertProfile(inputPath);
    QCOMPARE(result.error, error);
    QVERIFY(result.output.empty());
    const QString named = QDir::toNativeSeparators(CoreTest::text(inputPath)).chopped(4);
    QVERIFY2(
        QString::fromStdString(result.description).contains(named), result.description.c_str());
    if (case_ == "outputdir")
        QCOMPARE(readFile(output + "/inside"), old);
    else if (case_ != "folder")
        QCOMPARE(readFile(output), old);
    QCOMPARE(QFile::permissions(output), permissions);
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden), before);
}

void ConversionTest::veryLongLinesAreReadWhole()
{
    // Lines longer than any read chunk, and a CR LF that may fall across two reads.
    for (const qsizetype firstLength : { 256 * 1024 - 1, 256 * 1024, 1024 * 1024 - 1 }) {
        const QByteArray first = '*' + QByteArray(firstLength - 1, '1');
        const QByteArray big(600 * 1024, '7');
        const QByteArray input = first + "\r\n*b\r\n" + big + "\r";
        QCOMPARE(CoreTest::convertBytes(Conversion::Profile, input),
            first + "\r\n*b\r\n" + big.left(55) + big.mid(56, 40) + "\r\n");
    }
}

QTEST_GUILESS_MAIN(ConversionTest)
#include "tst_conversion.moc"

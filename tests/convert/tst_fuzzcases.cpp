// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The fuzzers' seed corpus and every input they ever found breaking a rule,
// run through the same checks in the ordinary suite.

#include "gsicheck.h"
#include "gsisamples.h"
#include "roadcheck.h"

#include <QDir>
#include <QtTest>

class FuzzCasesTest : public QObject {
    Q_OBJECT

private slots:
    void keptInputStillHoldsEveryRule_data();
    void keptInputStillHoldsEveryRule();
    void checksAgreeWithTheWorkedExamples_data();
    void checksAgreeWithTheWorkedExamples();
};

void FuzzCasesTest::keptInputStillHoldsEveryRule_data()
{
    QTest::addColumn<QString>("path");
    int rows = 0;
    for (const char* folder : { "corpus", "regressions" }) {
        const QDir dir(QStringLiteral(SIGTELINJE_FUZZ_DIR "/") + QLatin1String(folder));
        for (const QFileInfo& file : dir.entryInfoList(QDir::Files, QDir::Name)) {
            if (file.fileName() == QLatin1String("README"))
                continue;
            QTest::addRow("%s/%s", folder, qPrintable(file.fileName())) << file.filePath();
            ++rows;
        }
    }
    QVERIFY2(rows >= 5, "the seed corpus is missing");
}

void FuzzCasesTest::keptInputStillHoldsEveryRule()
{
    QFETCH(QString, path);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const std::string bytes = file.readAll().toStdString();
    const std::string broken = GsiCheck::check(bytes);
    QVERIFY2(broken.empty(), broken.c_str());
    // Read as road_fuzz reads it: its first byte the step, then a name line.
    const std::string road = RoadCheck::checkFuzzed(bytes);
    QVERIFY2(road.empty(), road.c_str());
}

// The checks' own reading of the rules, held against the worked examples and the limit.
void FuzzCasesTest::checksAgreeWithTheWorkedExamples_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QByteArrayList>("input");
    QTest::addColumn<QByteArray>("output"); // "refused" for error 9

    const QByteArray alignmentIn = Gsi::coordinateLine();
    const QByteArray alignmentOut = "*11....+0000000000001250 71....+0000000000000002 "
                                    "72...0+0000000000250000 73...0+0000000000000000 "
                                    "81..10-0000000087654321 82..10+0000000012345678 ";
    const QByteArray profileIn = "*11....+0000000000001250 83..10+0000000000012500 "
                                 "72...0-0000000000004000 73...0+0000000000000000 ";
    const QByteArray profileOut = "*11....+0000000000001250 83..10+0000000000012500 "
                                  "72...0+0000000000004000 73...0+0000000000000000";
    const int alignment = int(Module1::Conversion::Alignment);
    const int profile = int(Module1::Conversion::Profile);
    QTest::newRow("alignment example") << alignment << QByteArrayList { "*h", alignmentIn }
                                       << QByteArray("*h\r\n" + alignmentOut + "\r\n");
    QTest::newRow("profile example") << profile << QByteArrayList { "*h", profileIn }
                                     << QByteArray("*h\r\n" + profileOut + "\r\n");
    QTest::newRow("1000 lines") << profile << QByteArrayList(1000, "*x")
                                << Gsi::crlf(QByteArrayList(1000, "*x"));
    QTest::newRow("1001 lines") << profile << QByteArrayList(1001, "*x") << QByteArray("refused");
    QTest::newRow("1000 kept and one dropped")
        << alignment << QByteArrayList(1000, "*x") + QByteArrayList { "*74...." }
        << QByteArray("refused");
}

void FuzzCasesTest::checksAgreeWithTheWorkedExamples()
{
    QFETCH(int, kind);
    QFETCH(QByteArrayList, input);
    QFETCH(QByteArray, output);
    GsiCheck::Lines lines;
    for (const QByteArray& line : input)
        lines.push_back(line.toStdString());
    std::string out;
    const bool allowed = GsiCheck::expected(Module1::Conversion(kind), lines, out);
    QCOMPARE(allowed ? QByteArray::fromStdString(out) : QByteArray("refused"), output);
}

QTEST_GUILESS_MAIN(FuzzCasesTest)
#include "tst_fuzzcases.moc"

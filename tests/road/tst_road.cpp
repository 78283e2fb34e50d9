// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The road model held against a road this test walks for itself in small steps of its
// curvature, the check's findings one kind at a time, and sigtelinje-road as a script runs it.

#include "platformtest.h"
#include "roadmodel.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <numbers>

namespace {

// One element as a designer gives it: word 71, words 72 and 74 (positive turns right), length.
struct Spec {
    const char* name;
    double p72 = 0, p74 = 0, length = 0;
};
using Specs = QList<Spec>;

// Curvature at the start and the end, counter-clockwise positive, from the designer's words.
void curvatures(const Spec& e, double& k0, double& k1)
{
    const QByteArray n(e.name);
    const double a2 = e.p72 * e.p72, turn = e.p72 > 0 ? -1 : 1;
    k0 = k1 = 0;
    if (n.endsWith("CURVE"))
        k0 = k1 = -1 / e.p72;
    else if (n.endsWith("SPIRIN"))
        k1 = turn * e.length / a2;
    else if (n.endsWith("SPIROUT"))
        k0 = turn * e.length / a2;
    else if (n.endsWith("CURVEIN") || n.endsWith("CURVEOUT")) {
        k0 = -1 / e.p72;
        k1 = -1 / e.p74;
    }
}

struct Walked {
    double x, y, heading;
};

// The reference: the heading integrated in small steps, the midpoint rule for the position.
Walked walk(Walked from, double k0, double k1, double length, double upTo)
{
    constexpr int steps = 20000;
    const double step = upTo / steps;
    for (int i = 0; i < steps; ++i) {
        const double s = (i + 0.5) * step;
        const double h = from.heading + k0 * s + (k1 - k0) / length * s * s / 2;
        from.x += std::cos(h) * step;
        from.y += std::sin(h) * step;
    }
    from.heading += k0 * upTo + (k1 - k0) / length * upTo * upTo / 2;
    return from;
}

QByteArray word(const char* head, double value, double perDigit = 0.0001)
{
    const long long digits = std::llround(std::abs(value) / perDigit);
    return QByteArray(head) + (value < 0 ? '-' : '+')
        + QByteArray::number(digits).rightJustified(16, '0') + ' ';
}

QByteArray textWord(const char* head, const char* text)
{
    return QByteArray(head) + '+' + QByteArray(text).rightJustified(16, '0') + ' ';
}

const Walked Start { 1000, -5000, 0.3 };

// The file of a road that starts at Start: coordinates to 1/10 mm (unit 6), as words 11, 72 and
// 74 then are too. The end of the project closes it.
QByteArray alignmentFile(const Specs& specs)
{
    QByteArray out = "*410001+00000000HZALIGNM 42....+0000000000000017 \r\n";
    Walked at = Start;
    double chainage = 0;
    auto line = [&](const char* name, double p72, double p74) {
        out += '*' + word("11....", chainage) + textWord("71....", name) + word("72....", p72)
            + word("81..16", at.x) + word("82..16", at.y);
        if (p74 != 0)
            out += word("74....", p74);
        out += "\r\n";
    };
    for (const Spec& e : specs) {
        line(e.name, e.p72, e.p74);
        double k0, k1;
        curvatures(e, k0, k1);
        at = walk(at, k0, k1, e.length, e.length);
        chainage += e.length;
    }
    line("00000EOP", 0, 0);
    return out;
}

// Where the walked road is at `chainage`.
Walked walkedAt(const Specs& specs, double chainage)
{
    Walked at = Start;
    for (const Spec& e : specs) {
        double k0, k1;
        curvatures(e, k0, k1);
        if (chainage <= e.length + 1e-9)
            return walk(at, k0, k1, e.length, chainage);
        at = walk(at, k0, k1, e.length, e.length);
        chainage -= e.length;
    }
    return at;
}

// The first finding, for a failure's message.
const char* first(const std::vector<Road::Finding>& findings)
{
    return findings.empty() ? "nothing found" : findings.front().text.c_str();
}

struct Run {
    int exitCode = -1;
    QString out, err;
};

// Runs in `folder`, which the test's own current folder never becomes: under Wine that would
// move the current drive, and the program's path, which names no drive, with it.
Run road(const QStringList& args, const QString& folder)
{
    QProcess process;
    process.setWorkingDirectory(folder);
    process.start(ROAD_PROGRAM, args);
    Run run;
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.exitCode = process.exitCode();
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    // Text lines end in CR LF on Windows, as its programs write them.
    if (PlatformTest::onWindows()) {
        run.out.remove(u'\r');
        run.err.remove(u'\r');
    }
    return run;
}

}

class RoadTest : public QObject {
    Q_OBJECT
private slots:
    void everyElementKindRunsWhereTheWalkedRoadRuns_data();
    void everyElementKindRunsWhereTheWalkedRoadRuns();
    void profileHeightsFollowTheirCurves_data();
    void profileHeightsFollowTheirCurves();
    void checkNamesTheLineAndTheSizeOfEachFinding_data();
    void checkNamesTheLineAndTheSizeOfEachFinding();
    void commandLineChecksStakesOutAndExports_data();
    void commandLineChecksStakesOutAndExports();
};

void RoadTest::everyElementKindRunsWhereTheWalkedRoadRuns_data()
{
    QTest::addColumn<Specs>("specs");
    QTest::newRow("STRAIGHT") << Specs { { "STRAIGHT", 0, 0, 120 } };
    QTest::newRow("000CURVE to the right")
        << Specs { { "STRAIGHT", 0, 0, 20 }, { "000CURVE", 150, 0, 80 } };
    QTest::newRow("000CURVE to the left")
        << Specs { { "STRAIGHT", 0, 0, 20 }, { "000CURVE", -150, 0, 80 } };
    QTest::newRow("00SPIRIN, A = 100 m, into a 200 m curve") << Specs { { "STRAIGHT", 0, 0, 30 },
        { "00SPIRIN", 100, 0, 50 }, { "000CURVE", 200, 0, 40 } };
    QTest::newRow("0SPIROUT to the left, A = 400 m, L = 200 m")
        << Specs { { "000CURVE", -800, 0, 40 }, { "0SPIROUT", -400, 0, 200 },
               { "STRAIGHT", 0, 0, 30 } };
    QTest::newRow("0CURVEIN from 450 m to 300 m") << Specs { { "000CURVE", 450, 0, 30 },
        { "0CURVEIN", 450, 300, 40 }, { "000CURVE", 300, 0, 30 } };
    QTest::newRow("CURVEOUT from 300 m to 450 m") << Specs { { "000CURVE", 300, 0, 30 },
        { "CURVEOUT", 300, 450, 40 }, { "000CURVE", 450, 0, 30 } };
    QTest::newRow("00000EOP ends the road at the last point")
        << Specs { { "00SPIRIN", 60, 0, 100 } };
}

void RoadTest::everyElementKindRunsWhereTheWalkedRoadRuns()
{
    QFETCH(Specs, specs);
    const RoadModel::Preview p
        = RoadModel::read(RoadModel::Kind::Alignment, alignmentFile(specs).toStdString());
    QVERIFY(p.summary.undrawn.empty());
    QCOMPARE(p.alignment.elements.size(), std::size_t(specs.size()));
    QVERIFY2(p.summary.findings.empty(), first(p.summary.findings));
    double total = 0;
    for (const Spec& e : specs)
        total += e.length;
    QVERIFY(std::abs(p.alignment.length() - total) < 0.001);
    const std::vector<Road::Station> rows = Road::stations(p.alignment, 7.5, nullptr);
    QVERIFY(rows.size() >= std::size_t(total / 7.5));
    QCOMPARE(rows.back().chainage, total);
    for (const Road::Station& s : rows) {
        const Walked w = walkedAt(specs, s.chainage);
        const double miss = std::hypot(s.east - w.x, s.north - w.y);
        QVERIFY2(
            miss < 0.001, qPrintable(QString("%1 mm off at %2").arg(miss * 1000).arg(s.chainage)));
        // The direction in gon, from north clockwise.
        double gon = std::fmod((std::numbers::pi / 2 - w.heading) * 200 / std::numbers::pi, 400);
        if (gon < 0)
            gon += 400;
        QVERIFY2(std::abs(std::remainder(s.bearing - gon, 400.0)) < 0.001,
            qPrintable(QString("%1 gon, walked %2").arg(s.bearing).arg(gon)));
    }
}

void RoadTest::profileHeightsFollowTheirCurves_data()
{
    QTest::addColumn<QByteArray>("element");
    QTest::addColumn<double>("parameter");
    QTest::addColumn<double>("midHeight"); // at chainage 50, worked out by hand below
    // A grade of 2 % from 10 m at 0 to 12 m at 100.
    QTest::newRow("STRAIGHT") << QByteArray("STRAIGHT") << 0.0 << 11.0;
    // Crest of radius 1000 m through (0, 10) and (100, 12): the circle's centre lies 1000 m
    // below the chord's middle, square-root of 1000² − 50.99² off it.
    const double chord = std::hypot(100.0, 2.0), r = 1000;
    const double sagitta = r - std::sqrt(r * r - chord * chord / 4);
    QTest::newRow("000CURVE crest")
        << QByteArray("000CURVE") << -1000.0 << 11.0 + sagitta * (100 / chord);
    // Sag parabola with parameter 2500 m: y'' = 1/2500, so it runs x(L - x)/(2·2500) under the
    // chord.
    QTest::newRow("PARABOLA sag") << QByteArray("PARABOLA") << 2500.0
                                  << 11.0 - 50.0 * 50.0 / (2 * 2500);
}

void RoadTest::profileHeightsFollowTheirCurves()
{
    QFETCH(QByteArray, element);
    QFETCH(double, parameter);
    QFETCH(double, midHeight);
    const QByteArray bytes = "*410001+00000000VERTICAL \r\n*" + word("11....", 0)
        + textWord("71....", element.constData()) + word("72....", parameter) + word("83..16", 10)
        + "\r\n*" + word("11....", 100) + textWord("71....", "00000EOP") + word("83..16", 12)
        + "\r\n";
    const RoadModel::Preview p = RoadModel::read(RoadModel::Kind::Profile, bytes.toStdString());
    QVERIFY(p.summary.undrawn.empty());
    double h = 0;
    QVERIFY(p.profile.height(50, h));
    QVERIFY2(std::abs(h - midHeight) < 0.001, qPrintable(QString::number(h, 'f', 4)));
    QVERIFY(p.profile.height(100, h) && std::abs(h - 12) < 1e-6);
    QVERIFY(!p.profile.height(100.5, h));
}

void RoadTest::checkNamesTheLineAndTheSizeOfEachFinding_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("line");
    QTest::addColumn<double>("size"); // mm, within 10 %
    QTest::addColumn<QString>("text");
    const Specs spiral { { "STRAIGHT", 0, 0, 40 }, { "00SPIRIN", 100, 0, 50 },
        { "000CURVE", 200, 0, 40 } };
    const QByteArray good = alignmentFile(spiral);
    QByteArrayList lines = good.split('\n');

    // The curve's start chainage 50 mm further on: the spiral is 50 mm longer by chainage.
    QByteArrayList longer = lines;
    longer[3].replace(word("11....", 90), word("11....", 90.05));
    QTest::newRow("length") << longer.join('\n') << int(Road::Finding::Type::Length) << 3 << 50.0
                            << "efter stationeringen";
    QTest::newRow("end") << longer.join('\n') << int(Road::Finding::Type::End) << 3 << 50.0
                         << "slutpunkt ligger";
    // The spiral's end 20 mm to the side: the joints before and after it bend.
    QByteArrayList moved = lines;
    const Walked end = walkedAt(spiral, 90);
    moved[3].replace(word("82..16", end.y), word("82..16", end.y + 0.02));
    QTest::newRow("kink") << moved.join('\n') << int(Road::Finding::Type::Kink) << 3 << 0.0
                          << "knæk på";
    // The curve's radius 250 m where the spiral ends at 200 m.
    QByteArrayList radius = lines;
    radius[3].replace(word("72....", 200), word("72....", 250));
    QTest::newRow("radius") << radius.join('\n') << int(Road::Finding::Type::Radius) << 4 << 50000.0
                            << "radius 250,000 m";
    QByteArrayList tight = lines;
    tight[3].replace(word("72....", 200), word("72....", 10));
    QTest::newRow("a curve that cannot reach")
        << tight.join('\n') << int(Road::Finding::Type::Shape) << 4 << 0.0 << "når ikke";
    QTest::newRow("none") << good << -1 << 0 << 0.0 << "";
}

void RoadTest::checkNamesTheLineAndTheSizeOfEachFinding()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, type);
    QFETCH(int, line);
    QFETCH(double, size);
    QFETCH(QString, text);
    const RoadModel::Preview p = RoadModel::read(RoadModel::Kind::Alignment, bytes.toStdString());
    const Road::Alignment& road = p.alignment;
    if (type < 0) {
        QVERIFY2(road.findings.empty(), first(road.findings));
        return;
    }
    const Road::Finding* found = nullptr;
    for (const Road::Finding& f : road.findings)
        if (int(f.type) == type && f.line == line)
            found = &f;
    QVERIFY2(found, first(road.findings));
    QVERIFY2(QString::fromStdString(found->text).contains(text), found->text.c_str());
    QVERIFY(QString::fromStdString(found->text).startsWith(QString("linje %1: ").arg(line)));
    if (size > 0)
        QVERIFY2(std::abs(found->size - size) < size / 10, found->text.c_str());
}

void RoadTest::commandLineChecksStakesOutAndExports_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QByteArray>("file"); // written to bad.gsi first when given
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QStringList>("outHas");
    // Copied beside bad.gsi: a Windows program reads no path of the build machine's.
    const QString al = "al17.gsi", pr = "pr17.gsi";
    QTest::newRow("check: the examples are consistent")
        << QStringList { "check", al, pr } << QByteArray() << 0 << QStringList {};
    QByteArrayList moved
        = alignmentFile({ { "STRAIGHT", 0, 0, 40 }, { "STRAIGHT", 0, 0, 40 } }).split('\n');
    moved[2].replace(word("81..16", Start.x + 40 * std::cos(Start.heading)),
        word("81..16", Start.x + 40 * std::cos(Start.heading) + 0.01));
    QTest::newRow("check: a finding is FILE:LINE: text") << QStringList { "check",
        "bad.gsi" } << moved.join('\n') << 1 << QStringList { "bad.gsi:2: ", "bad.gsi:3: knæk" };
    QTest::newRow("check: GSI-8 stops with one message")
        << QStringList { "check", "bad.gsi" }
        << QByteArray("110001+00000001 81..00+00515836 82..00+00525871 \r\n"
                      "110002+00000002 81..00+00510231 82..00+00528710 \r\n")
        << 2 << QStringList {};
    QTest::newRow("check: a missing file")
        << QStringList { "check", "nowhere.gsi" } << QByteArray() << 2 << QStringList {};
    QTest::newRow("stations with heights")
        << QStringList { "stations", "25", al, pr } << QByteArray() << 0
        << QStringList { "station;E;N;retning_gon;H\n0.000;55123.456;-612345.678;139.9999;12.500\n",
               "\n25.000;", "\n510.000;55383.294;-612762.766;" };
    QTest::newRow("stations: a step that is no number")
        << QStringList { "stations", "ti", al } << QByteArray() << 2 << QStringList {};
    QTest::newRow("stations: a profile in the alignment's place")
        << QStringList { "stations", "10", pr } << QByteArray() << 2 << QStringList {};
    QTest::newRow("landxml") << QStringList { "landxml", al, pr } << QByteArray() << 0
                             << QStringList { "LandXML-1.2",
                                    "<Alignment name=\"al17\" length=\"510.0",
                                    "<Line length=\"60.0000\">",
                                    "<Spiral length=\"50.0000\" radiusStart=\"INF\" "
                                    "radiusEnd=\"450.0000\" rot=\"cw\"",
                                    "<Curve rot=\"ccw\" radius=\"600.0000\"",
                                    "<ParaCurve length=\"75.0000\">",
                                    "<CircCurve length=\"60.0000\" radius=\"3000.0000\">" };
}

void RoadTest::commandLineChecksStakesOutAndExports()
{
    QFETCH(QStringList, args);
    QFETCH(QByteArray, file);
    QFETCH(int, exitCode);
    QFETCH(QStringList, outHas);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    for (const QString& example : { "al17.gsi", "pr17.gsi" })
        QVERIFY(QFile::copy(EXAMPLES "/" + example, dir.filePath(example)));
    if (!file.isEmpty()) {
        QFile bad(dir.filePath("bad.gsi"));
        QVERIFY(bad.open(QIODevice::WriteOnly) && bad.write(file) == file.size());
    }
    const Run run = road(args, dir.path());
    QCOMPARE(run.exitCode, exitCode);
    for (const QString& text : outHas)
        QVERIFY2(run.out.contains(text), qPrintable(run.out.left(600)));
    // An error says what and where, once, and writes no half output.
    if (exitCode == 2) {
        QVERIFY(run.out.isEmpty());
        QCOMPARE(run.err.count('\n'), 1);
        QVERIFY(run.err.startsWith("sigtelinje-road: "));
    } else {
        QVERIFY(run.err.isEmpty());
    }
    if (args.first() == "stations" && exitCode == 0) {
        // The preview's CSV of the same alignment, its profile found beside it, is the same.
        const RoadModel::Preview shown = RoadModel::load(
            RoadModel::Kind::Alignment, QFile::encodeName(dir.filePath(args[2])).toStdString());
        QCOMPARE(
            QString::fromStdString(RoadModel::stationsCsv(shown, args[1].toDouble())), run.out);
        // Every row has the header's fields, a decimal point and no comma.
        const QStringList rows = run.out.trimmed().split('\n');
        for (const QString& row : rows) {
            QCOMPARE(row.count(';'), 4);
            QVERIFY(!row.contains(','));
        }
    }
}

QTEST_GUILESS_MAIN(RoadTest)
#include "tst_road.moc"

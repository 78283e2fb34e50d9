// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "gsierror.h"
#include "roadmodel.h"
#include "roadpainter.h"

#include <QWidget>

#include <functional>
#include <optional>

class QLabel;
class QListWidget;
class QPushButton;

// The drawing of one preview, scaled to the widget.
class RoadView : public QWidget {
    Q_OBJECT
public:
    explicit RoadView(const RoadModel::Preview& preview, QWidget* parent = nullptr);
    QSize sizeHint() const override { return { 640, 480 }; }
    const RoadPainter::View& view() const { return m_view; }

protected:
    void paintEvent(QPaintEvent* event) override;
    // Zoom with the wheel or + and -, pan by dragging or with the arrow keys, 0 shows it all.
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void zoomBy(double factor, QPointF about);

    const RoadModel::Preview& m_preview;
    RoadPainter::View m_view;
    QPointF m_dragFrom;
};

// "Vis": a file's road drawn before and after the conversion, with a summary of what was read
// and a list of the lines that could not be drawn. Nothing is converted or written, except an
// export the user asks for.
class PreviewWindow : public QWidget {
    Q_OBJECT
public:
    // Shows an error to the user: number and Danish description, as the main window does.
    using Reporter = std::function<void(QWidget* window, int number, const QString& description)>;

    PreviewWindow(RoadModel::Preview preview, const QString& fileName, Reporter reporter,
        QWidget* parent = nullptr);

    const RoadModel::Preview& preview() const { return m_preview; }
    // Where the export dialogs start: the file's own folder, so that a drawing lands beside its
    // file unless the user chooses otherwise.
    void setSaveFolder(const QString& folder) { m_saveFolder = folder; }
    QListWidget* undrawnList() const { return m_undrawn; }
    QLabel* summaryLabel() const { return m_summary; }
    // What the newest export is doing: being written, written, or not written.
    QLabel* exportLabel() const { return m_exportStatus; }

    // The drawing written to `path`. It is made here and written on a worker thread, as the
    // medium may be slow or stalled; exportFinished() tells how the writing ended. False when
    // nothing could be made, after the error has been reported. A newer export replaces an
    // unfinished one: only the newest is reported.
    bool exportPng(const QString& path);
    bool exportPdf(const QString& path);
    // The stations every `step` metres as CSV (the alignment only).
    bool exportStations(const QString& path, double step);
    bool exportPending() const { return m_exportPending; }
    // The writing of an export, as the worker does it: `bytes` to `target`, with the mode a
    // conversion of `source` would give its output. Owns all it touches; nullopt once written.
    static std::optional<GsiError> writeExport(const std::filesystem::path& target,
        const RoadModel::Source& source, const QByteArray& bytes);

signals:
    // A line of the list was opened: its text was shown.
    void lineShown(const QString& text);
    // The newest export has been written to `path`, or its error reported.
    void exportFinished(const QString& path, bool written);

private:
    void showLine(int row);
    void askPng();
    void askPdf();
    void askStations();
    void print();
    QString summaryText() const;
    QString suggestedPath(const QString& suffix) const;
    void startExport(const QString& path, const QByteArray& bytes);
    void exportDone(const QString& path, const std::optional<GsiError>& error);

    RoadModel::Preview m_preview;
    QString m_fileName;
    QString m_saveFolder;
    Reporter m_reporter;
    RoadView* m_view;
    QLabel* m_summary;
    QListWidget* m_undrawn;
    QLabel* m_exportStatus;
    quint64 m_exportGeneration = 0; // the newest export's
    bool m_exportPending = false;
};

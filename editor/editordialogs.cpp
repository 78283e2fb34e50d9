#include "editordialogs.h"

#include <QFileDialog>
#include <QFontDialog>
#include <QMessageBox>

using namespace Qt::StringLiterals;

EditorDialogs::~EditorDialogs() = default;

namespace {

class PlatformDialogs final : public EditorDialogs {
public:
    QString openFileName(
        QWidget* parent, const QString& filters, const QString& selectedFilter) override
    {
        QString selected = selectedFilter;
        return QFileDialog::getOpenFileName(parent, QString(), QString(), filters, &selected);
    }

    QString saveFileName(
        QWidget* parent, const QString& filters, const QString& selectedFilter) override
    {
        QString selected = selectedFilter;
        return QFileDialog::getSaveFileName(parent, QString(), QString(), filters, &selected);
    }

    std::optional<QFont> font(QWidget* parent, const QFont& initial) override
    {
        bool ok = false;
        const QFont chosen = QFontDialog::getFont(&ok, initial, parent);
        return ok ? std::optional<QFont>(chosen) : std::nullopt;
    }

    void error(QWidget* parent, const QString& message) override
    {
        QMessageBox::critical(parent, u"Sigtelinje - Text Editor"_s, message);
    }
};

PlatformDialogs platformDialogs;
EditorDialogs* current = &platformDialogs;

} // namespace

EditorDialogs& editorDialogs() { return *current; }

void setEditorDialogs(EditorDialogs* dialogs) { current = dialogs ? dialogs : &platformDialogs; }

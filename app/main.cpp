#include "form1.h"
#include "outputfile.h"

#include <QApplication>
#include <QFont>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    // Ctrl+C in the terminal that started the window must not leave a half-written file.
    OutputFile::removeUnfinishedOnInterrupt();
    QApplication::setApplicationName(QStringLiteral("Sigtelinje"));
    QApplication::setApplicationVersion(QStringLiteral(SIGTELINJE_VERSION));

    // Where the classic fonts are missing, take the nearest ones at the same sizes.
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
        { QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Liberation Sans"),
            QStringLiteral("Arial"), QStringLiteral("DejaVu Sans") });

    auto* window = new Form1;
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    return app.exec();
}

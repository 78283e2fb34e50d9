#include "form1.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Sigtelinje"));
    QApplication::setApplicationVersion(QStringLiteral(SIGTELINJE_VERSION));

    auto* window = new Form1;
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    return app.exec();
}

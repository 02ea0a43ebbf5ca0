#include <QApplication>
#include <QMainWindow>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("Редактор"));
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Тирвела V2.21"));
    window.showMaximized();
    return app.exec();
}

// The Tarnova GUI entry.
#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QMainWindow window;
    window.setObjectName("tnveditwindow");
    window.setWindowTitle("Tarnova:");
    window.setWindowIcon(QIcon(":/tarnova.png"));
    window.show();
    return QApplication::exec();
}

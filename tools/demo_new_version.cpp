// xinghe-demo-new-version: what the demo site hands out as the program's newer version. It
// only says that the update went through and where it runs from; close it to end the demo.

#include <filesystem>

#include <QApplication>
#include <QMessageBox>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    QMessageBox box(QMessageBox::Information, QStringLiteral("星河影舱 " XINGHE_DEMO_NEWER_VERSION),
                    QStringLiteral("更新完成：新版本 " XINGHE_DEMO_NEWER_VERSION " 已安装并启动。\n\n") +
                        QString::fromStdString(self.string()));
    box.exec();
    return 0;
}

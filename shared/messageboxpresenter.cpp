#include "messageboxpresenter.h"

#include "messages/messageservice.h"

#include <QApplication>
#include <QMessageBox>

namespace messages {

void installMessageBoxPresenter() {
    setPresenter(showMessageBox);
}

void showMessageBox(const QString& text, const QString& title) {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        writeToStandardError(text, title);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}

} // namespace messages

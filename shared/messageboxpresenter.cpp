#include "messageboxpresenter.h"

#include "messages/messageservice.h"

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QScreen>

#include <algorithm>

namespace messages {

namespace {

// The window the box belongs over: the active one, or, when no window has the focus (a run that
// keeps the program busy, a desktop without a window manager), a visible window of the program.
// Qt centres a box on the window it belongs to.
QWidget* ownerWindow() {
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    if (QWidget* active = QApplication::activeWindow())
        return active;
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->isVisible() && window->windowType() != Qt::ToolTip && window->windowType() != Qt::Popup)
            return window;
    return nullptr;
}

// A message about a field (the one the check put the focus on) leaves the field and its label
// in view: the box goes below the field's row of the window, or above it when the screen has no
// room below.
void keepFocusedFieldInView(QMessageBox& box, QWidget* owner) {
    auto* field = owner ? qobject_cast<QLineEdit*>(owner->window()->focusWidget()) : nullptr;
    if (!field || !field->isVisible())
        return;
    // The box takes its final size as it is shown; shown modal now, it is placed before it appears.
    box.setWindowModality(Qt::ApplicationModal);
    box.show();
    const QRect window = owner->window()->frameGeometry();
    const QRect fieldOnScreen(field->mapToGlobal(QPoint(0, 0)), field->size());
    const QRect screen = owner->screen()->availableGeometry();
    const int gap = box.fontMetrics().height();
    const int x = std::clamp(window.center().x() - box.width() / 2, screen.left(),
                             std::max(screen.left(), screen.right() - box.width()));
    int y = fieldOnScreen.bottom() + gap;
    if (y + box.height() > screen.bottom())
        y = fieldOnScreen.top() - gap - box.height();
    box.move(x, y);
}

} // namespace

void installMessageBoxPresenter() {
    setPresenter(showMessageBox);
}

void showMessageBox(const QString& text, const QString& title) {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        writeToStandardError(text, title);
        return;
    }
    QWidget* owner = ownerWindow();
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, owner);
    keepFocusedFieldInView(box, owner);
    box.exec();
}

} // namespace messages

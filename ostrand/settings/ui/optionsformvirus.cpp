#include "optionsformvirus.h"

#include "optionsformhelper.h"
#include "optionswindow.h"

#include "errors/numberederror.h"
#include "messages/messageservice.h"

#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>

#include <functional>

namespace {

// A batch search client without an application object of its own gets one for the window, as
// an in-process server brings what its windows need; it lives as long as the process.
void startWidgetApplication() {
    static int argc = 1;
    static char name[] = "ostrand";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
}

} // namespace

OptionsFormVirus& OptionsFormVirus::instance() {
    static OptionsFormVirus window;
    return window;
}

OptionsFormVirus::OptionsFormVirus() = default;

OptionsFormVirus::~OptionsFormVirus() {
    // At the end of the process the application may already be gone, and widgets with it.
    if (m_window && QApplication::instance())
        delete m_window;
}

OptionsFormHelper& OptionsFormVirus::helper() {
    // The helper knows its window from the start: the controls may load before the data at hand
    // is described, and then show for data of no particular kind.
    if (!m_helper)
        m_helper = std::make_unique<OptionsFormHelper>(*this);
    return *m_helper;
}

void OptionsFormVirus::SetSearchParameters(bool singleSpectrum, bool ddeData, bool needGuessChargeState) {
    helper().SetSearchParameters(this, singleSpectrum, ddeData, needGuessChargeState);
}

OptionsWindow& OptionsFormVirus::controls() {
    if (m_window)
        return *m_window;
    if (!QCoreApplication::instance())
        startWidgetApplication();
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        throw errors::NumberedError::system(
            QStringLiteral("The options dialog needs a program with windows (a widget application), and this "
                           "one has none."));
    auto* window = new OptionsWindow;
    m_window = window;
    // Handlers of the window's events run inside its signals, so the window must outlive them, and
    // an error must not escape into the window system.
    const auto handle = [this](const std::function<void()>& handler) {
        return [this, handler] {
            const bool outer = !m_inWindowEvent;
            m_inWindowEvent = true;
            try {
                handler();
            } catch (const std::exception& error) {
                // An error of any kind: one that escaped would end the host program.
                messages::show(QString::fromUtf8(error.what()), QStringLiteral("Error"));
            }
            if (outer)
                m_inWindowEvent = false;
        };
    };
    QObject::connect(window->OK, &QPushButton::clicked, window, handle([this] { OK_Click(); }));
    QObject::connect(window->Cancel, &QPushButton::clicked, window,
                     handle([this] { Close(QDialog::Rejected); }));
    QObject::connect(window->SearchFileLocation, &QPushButton::clicked, window,
                     handle([this] { helper().SetSearchFileLocation(); }));
    QObject::connect(window->SetSorvexDefaultParams, &QPushButton::clicked, window,
                     handle([this] { helper().SetSorvexDefaultParams(); }));
    const auto enableRules = handle([this] { helper().EnableOrDisableDialogItems(); });
    for (QRadioButton* button : window->Radio_WebServer)
        QObject::connect(button, &QRadioButton::clicked, window, enableRules);
    for (QCheckBox* box :
         {window->CheckMSMSCentroidEnable, window->LimitChargeCheck, window->CheckDeisotopeMSMS})
        QObject::connect(box, &QCheckBox::clicked, window, enableRules);
    helper().SetupDialogItems();
    return *window;
}

bool OptionsFormVirus::isShown() const {
    return m_window && m_window->isVisible();
}

void OptionsFormVirus::OK_Click() {
    helper().ValidateAndSaveDialogItems();
}

void OptionsFormVirus::Show(QWidget* owner) {
    OptionsWindow& window = controls();
    if (owner)
        window.setParent(owner, window.windowFlags());
    window.setWindowModality(Qt::ApplicationModal);
    window.exec();
    Unload();
}

void OptionsFormVirus::DisableServerFrameControls() {
    controls();
    helper().DisableServerFrameControls();
}

void OptionsFormVirus::Close(int result) {
    if (isShown())
        m_window->done(result);
    else
        Unload();
}

void OptionsFormVirus::Unload() {
    if (!m_window)
        return;
    OptionsWindow* window = m_window;
    m_window = nullptr;
    // A window whose own button asked for this still has that button's signal on the stack.
    if (m_inWindowEvent) {
        window->hide();
        window->deleteLater();
    } else {
        delete window;
    }
}

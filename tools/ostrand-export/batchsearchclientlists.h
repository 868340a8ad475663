#pragma once
// The batch search client's parameter lists as the client itself reaches them, for editing them in
// the options dialog: the script library's Options4Daemon, created by its programmatic id and
// called by name. The library brings the options window (and a widget application of its own),
// so this program loads it only for the dialog and links no window system.

#include <QString>
#include <memory>

namespace automation {
class Dispatch;
}

class BatchSearchClientLists {
public:
    // Loads the script library beside this program; messages then appear in its boxes.
    BatchSearchClientLists();

    void setLists(const QString& keys, const QString& values);
    void setDefaults();
    // Lets the user edit the lists in the options dialog; a cancel keeps them.
    void editInDialog();
    QString keys() const;
    QString values() const;

private:
    std::shared_ptr<automation::Dispatch> m_daemon;
};

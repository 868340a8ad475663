#pragma once
// The batch search client's parameter lists as the client itself reaches them: the script
// library's Options4Daemon, created by its programmatic id and called by name. The library brings
// the options window that checks and orders the lists (and a widget application of its own when
// the program has none), so this program links no window system for them.

#include <QString>
#include <memory>

namespace automation {
class Dispatch;
}

class BatchSearchClientLists {
public:
    // Loads the script library beside this program. While the dialog is shown, messages appear in
    // its boxes; otherwise they keep going where this program sent them.
    explicit BatchSearchClientLists(bool showsDialog = false);

    void setLists(const QString& keys, const QString& values);
    void setDefaults();
    // Lets the user edit the lists in the options dialog; a cancel keeps them.
    void editInDialog();
    QString keys() const;
    QString values() const;

private:
    std::shared_ptr<automation::Dispatch> m_daemon;
};

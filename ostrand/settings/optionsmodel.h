#pragma once
// The rules of the options dialog "Sorvex Search - Options", without a window: which fields the
// data at hand enables, how the fields load from the settings, how OK checks them (in a fixed
// order, stopping at the first refusal with the message the user sees) and which values it saves,
// in which order. The window binds its controls to this model; the batch search client's lists run
// the same rules with no window at all.
//
// Every field holds text: "0" or "1" for a check box and for the threshold's unit list (1: "% of
// maximum"), the typed text of a text box, and for the server choice the index of the selected
// button or nothing.

#include "parametertable.h"

#include <QString>

#include <array>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

namespace ostrand {

class OptionsModel {
public:
    // The frames whose fields the enable rules switch as one; the server frame holds the search
    // server choice, its two addresses and the buttons beside them.
    enum class Frame { Other, Charges, Averaging, Processing, Survey, Server };

    // What the data at hand is: one displayed spectrum, data-dependent (IDA) data, and whether the
    // caller lets the survey scan decide charge states.
    struct DataFlags {
        bool singleSpectrum = false;
        bool ddeData = false;
        bool needGuessChargeState = false;
    };

    // Why OK was refused: the message and the field to put the user back on (none for a missing
    // server address).
    struct Refusal {
        QString message;
        std::optional<DialogField> field;
    };

    // Every field enabled and empty, as the window's controls are before they load: check boxes
    // cleared, the threshold absolute, no server selected.
    OptionsModel();

    void setDataFlags(const DataFlags& flags) { m_flags = flags; }

    // Fills the fields from the stored settings (through the settings store), `serverChoice`
    // giving the selected server. Settings that do not convert give the factory defaults after
    // `report` has been given the message that says so. An error while filling goes to `report`
    // and leaves the later fields as they are; false then.
    bool load(const std::function<std::int32_t()>& serverChoice,
              const std::function<void(const QString&)>& report);

    // The enable rules. `localServerInstalled` tells whether a search server is installed on this
    // computer; with nothing (the settings store's in-memory mode) the server frame is left alone.
    void applyEnableRules(std::optional<bool> localServerInstalled);
    // Disables every control of the server frame (the frame itself stays enabled).
    void disableServerFrameControls();

    // The first field OK refuses, in the dialog's order; nothing when every saved field is valid.
    std::optional<Refusal> validate() const;
    // The names and values OK saves, in the dialog's save order: exactly the enabled fields.
    std::vector<std::pair<QString, QString>> savedValues() const;
    // Writes the saved values through the settings store, in order.
    void save() const;

    QString text(DialogField field) const { return m_texts[index(field)]; }
    void setText(DialogField field, const QString& text) { m_texts[index(field)] = text; }
    bool isChecked(DialogField field) const { return text(field) == QStringLiteral("1"); }
    void setChecked(DialogField field, bool checked);
    // The selected server button, 0 to 3, or nothing.
    std::optional<int> server() const;
    void setServer(std::optional<int> choice);

    // A field's own enabled state, and whether it is enabled with its frame's.
    bool isOwnEnabled(DialogField field) const { return m_enabled[index(field)]; }
    bool isEnabled(DialogField field) const { return isOwnEnabled(field) && isFrameEnabled(frameOf(field)); }
    bool isFrameEnabled(Frame frame) const { return m_frameEnabled[static_cast<std::size_t>(frame)]; }
    // The server buttons (0 to 3), and the search file location and default parameters buttons.
    bool isServerButtonEnabled(int choice) const {
        return m_serverButtonEnabled[static_cast<std::size_t>(choice)];
    }
    bool isSearchFileButtonEnabled() const { return m_searchFileButtonEnabled; }
    bool isDefaultsButtonEnabled() const { return m_defaultsButtonEnabled; }

    static Frame frameOf(DialogField field);
    static bool isCheckBox(DialogField field);
    // What a refusal calls the text box of `field`, as its label reads.
    static QString fieldLabel(DialogField field);

private:
    static std::size_t index(DialogField field) { return static_cast<std::size_t>(field); }
    void setFrameEnabled(Frame frame, bool enable);
    bool isSaved(DialogField field) const;
    std::optional<Refusal> refusal(DialogField field) const;

    DataFlags m_flags;
    std::array<QString, dialogFieldCount> m_texts{};
    std::array<bool, dialogFieldCount> m_enabled = allEnabled<dialogFieldCount>();
    std::array<bool, 6> m_frameEnabled = allEnabled<6>();
    std::array<bool, 4> m_serverButtonEnabled = allEnabled<4>();
    bool m_searchFileButtonEnabled = true;
    bool m_defaultsButtonEnabled = true;

    template <std::size_t N> static std::array<bool, N> allEnabled() {
        std::array<bool, N> states{};
        states.fill(true);
        return states;
    }
};

} // namespace ostrand

#pragma once
// Every stored processing parameter in one table, one row each: the name it is stored under, how
// its text is read, its factory default, the values it may take, its place in the options
// dialog, its help text and the ProcessingParameters field it fills. The settings load, the range
// checks, the diagnostic dump, the automation face and the options model all read this table, so
// a new parameter is one row here plus the getter and setter of ProcessingParameters.

#include <QString>

#include <optional>
#include <vector>

namespace ostrand {

class ProcessingParameters;

// The options dialog's fields that save a value, in the dialog's save order.
enum class DialogField {
    Charge1,
    Charge2,
    Charge3,
    Charge4,
    Charge5,
    DiscardHighCharges,
    SurveyCharge,
    NeedPeaks,
    PrecursorTolerance,
    CyclesBetween,
    CyclesPerGroup,
    NearParent,
    Server,
    IntranetAddress,
    ProspectorAddress,
    Threshold,
    ThresholdInPercent,
    Centroid,
    Deisotope,
    PeakArea,
    ITraq,
    OldTitles,
};
inline constexpr int dialogFieldCount = static_cast<int>(DialogField::OldTitles) + 1;

struct ParameterRow {
    // The type of the field the text is read into; None for values that are no field.
    enum class FieldType { None, WholeNumber, Number, Boolean };
    // The values the parameter may take.
    enum class Kind { WholeNumber, Number, Boolean, Text };

    QString name{}; // the stored value's name
    FieldType fieldType = FieldType::None;
    QString factoryDefault{};
    Kind kind = Kind::Text;
    double lowest = 0; // for numbers: the range, both ends included
    double highest = 0;
    std::optional<DialogField> dialogField{}; // the field that saves it; none when the dialog never does
    // The stem of the getter's and setter's names ("MSMSAveMinCyclesPerGp"), when it differs from the
    // stored name, and the help text the two share.
    QString member{};
    QString help{};
    // The line label of the diagnostic dump and the line's place in it (-1: not dumped).
    QString dumpLabel{};
    int dumpOrder = -1;
    // The field, its value as a number (a Boolean as 0 or 1).
    double (*read)(const ProcessingParameters&) = nullptr;
    void (*write)(ProcessingParameters&, double) = nullptr;

    QString memberStem() const { return member.isEmpty() ? name : member; }
};

// Every parameter, in the order the settings are read; after the processing parameters the
// server choice and its two addresses, which the dialog and the batch search client's lists carry.
const std::vector<ParameterRow>& parameterTable();

// The row of the parameter `name` (any case), or none.
const ParameterRow* findParameter(const QString& name);
// The row that the dialog field saves.
const ParameterRow& parameterOf(DialogField field);

} // namespace ostrand

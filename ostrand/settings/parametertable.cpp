#include "parametertable.h"

#include "processingparameters.h"

#include <algorithm>

namespace ostrand {

namespace {

using P = ProcessingParameters;
using FieldType = ParameterRow::FieldType;
using Kind = ParameterRow::Kind;

template <typename Setter> struct SetterArgument;
template <typename Value> struct SetterArgument<void (P::*)(Value)> { using type = Value; };

template <auto Get> double readField(const P& params) {
    return static_cast<double>((params.*Get)());
}

template <auto Set> void writeField(P& params, double value) {
    (params.*Set)(static_cast<typename SetterArgument<decltype(Set)>::type>(value));
}

template <std::int16_t Charge> double readCharge(const P& params) {
    return params.getDefaultChargeStates(Charge);
}

template <std::int16_t Charge> void writeCharge(P& params, double value) {
    params.setDefaultChargeStates(Charge, static_cast<std::int16_t>(value));
}

// The row with the field its getter and setter reach.
template <auto Get, auto Set> ParameterRow withField(ParameterRow row) {
    row.read = &readField<Get>;
    row.write = &writeField<Set>;
    return row;
}

// The check box of the default charge `Charge`+.
template <std::int16_t Charge> ParameterRow chargeRow(DialogField field) {
    ParameterRow row{.name = QStringLiteral("strDefaultChargeState%1").arg(Charge),
                     .fieldType = FieldType::WholeNumber,
                     .factoryDefault = Charge <= 3 ? QStringLiteral("1") : QStringLiteral("0"),
                     .kind = Kind::WholeNumber,
                     .lowest = 0,
                     .highest = 1,
                     .dialogField = field,
                     .member = QStringLiteral("DefaultChargeStates"),
                     .dumpLabel = QStringLiteral("m_defaultChargeStates(%1)").arg(Charge),
                     .dumpOrder = Charge - 1};
    row.read = &readCharge<Charge>;
    row.write = &writeCharge<Charge>;
    return row;
}

const QString centroidHeightHelp =
    QStringLiteral("The height in the peak which is used to determine the centroid mass. Default is 50%");

std::vector<ParameterRow> makeTable() {
    return {
        chargeRow<1>(DialogField::Charge1),
        chargeRow<2>(DialogField::Charge2),
        chargeRow<3>(DialogField::Charge3),
        chargeRow<4>(DialogField::Charge4),
        chargeRow<5>(DialogField::Charge5),
        withField<&P::getDiscardHighCharges, &P::setDiscardHighCharges>(
            {.name = QStringLiteral("strDiscardHighChargeStates"),
             .fieldType = FieldType::WholeNumber,
             .factoryDefault = QStringLiteral("1"),
             .kind = Kind::WholeNumber,
             .highest = 1,
             .dialogField = DialogField::DiscardHighCharges,
             .member = QStringLiteral("DiscardHighCharges")}),
        withField<&P::getDDESurveyHtPerc, &P::setDDESurveyHtPerc>(
            {.name = QStringLiteral("DDESurveyHtPerc"),
             .fieldType = FieldType::Number,
             .factoryDefault = QStringLiteral("50"),
             .kind = Kind::Number,
             .highest = 100,
             .help = centroidHeightHelp,
             .dumpLabel = QStringLiteral("m_DDESurveyHtPerc"),
             .dumpOrder = 5}),
        withField<&P::getDDESurveyMergeDist, &P::setDDESurveyMergeDist>(
            {.name = QStringLiteral("DDESurveyMergeDist"),
             .fieldType = FieldType::Number,
             .factoryDefault = QStringLiteral("0.1"),
             .kind = Kind::Number,
             .highest = 1000,
             .help =
                 QStringLiteral("The merge distance should be less than 0.25 amu so that isotopic peaks of "
                                "charge state 4 are separated. Default is 0.1"),
             .dumpLabel = QStringLiteral("m_DDESurveyMergeDist"),
             .dumpOrder = 6}),
        withField<&P::getDDEMergeDistInPPM, &P::setDDEMergeDistInPPM>(
            {.name = QStringLiteral("DDEMergeDistInPPM"),
             .fieldType = FieldType::Boolean,
             .factoryDefault = QStringLiteral("0"),
             .kind = Kind::Boolean,
             .dumpLabel = QStringLiteral("m_DDEMergeDistInPPM"),
             .dumpOrder = 7}),
        withField<&P::getDDEAutoDetermineCharge, &P::setDDEAutoDetermineCharge>(
            {.name = QStringLiteral("DDEAutoDetermineCharge"),
             .fieldType = FieldType::WholeNumber,
             .factoryDefault = QStringLiteral("1"),
             .kind = Kind::WholeNumber,
             .highest = 1,
             .dialogField = DialogField::SurveyCharge}),
        withField<&P::getMSMSCentroidEnable, &P::setMSMSCentroidEnable>(
            {.name = QStringLiteral("MSMSCentroidEnable"),
             .fieldType = FieldType::WholeNumber,
             .factoryDefault = QStringLiteral("1"),
             .kind = Kind::WholeNumber,
             .highest = 1,
             .dialogField = DialogField::Centroid,
             .help = QStringLiteral("Recommended to reduce the amount of peaks produced"),
             .dumpLabel = QStringLiteral("m_MSMSCentroidEnable"),
             .dumpOrder = 8}),
        withField<&P::getMSMSSmoothCentroid, &P::setMSMSSmoothCentroid>(
            {.name = QStringLiteral("MSMSSmoothCentroid"),
             .fieldType = FieldType::Boolean,
             .factoryDefault = QStringLiteral("0"),
             .kind = Kind::Boolean,
             .dumpLabel = QStringLiteral("m_MSMSSmoothCentroid"),
             .dumpOrder = 9}),
        withField<&P::getMSMSCentroidHtPerc, &P::setMSMSCentroidHtPerc>(
            {.name = QStringLiteral("MSMSCentroidHtPerc"),
             .fieldType = FieldType::Number,
             .factoryDefault = QStringLiteral("50"),
             .kind = Kind::Number,
             .highest = 100,
             .help = centroidHeightHelp,
             .dumpLabel = QStringLiteral("m_MSMSCentroidHtPerc"),
             .dumpOrder = 10}),
        withField<&P::getMSMSCentroidMergeDist, &P::setMSMSCentroidMergeDist>(
            {.name = QStringLiteral("MSMSCentroidMergeDist"),
             .fieldType = FieldType::Number,
             .factoryDefault = QStringLiteral("0.1"),
             .kind = Kind::Number,
             .highest = 1000,
             .help =
                 QStringLiteral("The merge distance. It is recommended that this be set to 2 amu as a crude "
                                "method of removing isotopic peaks."),
             .dumpLabel = QStringLiteral("m_MSMSCentroidMergeDist"),
             .dumpOrder = 11}),
        withField<&P::getMSMSMergeDistInPPM, &P::setMSMSMergeDistInPPM>(
            {.name = QStringLiteral("MSMSMergeDistInPPM"),
             .fieldType = FieldType::Boolean,
             .factoryDefault = QStringLiteral("0"),
             .kind = Kind::Boolean,
             .dumpLabel = QStringLiteral("m_MSMSMergeDistInPPM"),
             .dumpOrder = 12}),
        // An absolute intensity up to 10^15; as a percentage the dialog allows up to 95.
        withField<&P::getMSMSThresholdPerc, &P::setMSMSThresholdPerc>(
            {.name = QStringLiteral("MSMSThreshold"),
             .fieldType = FieldType::Number,
             .factoryDefault = QStringLiteral("0.0"),
             .kind = Kind::Number,
             .highest = 1e15,
             .dialogField = DialogField::Threshold,
             .member = QStringLiteral("MSMSThresholdPerc"),
             .dumpLabel = QStringLiteral("m_MSMSThreshold"),
             .dumpOrder = 13}),
        withField<&P::getMSMSThresholdInPercent, &P::setMSMSThresholdInPercent>(
            {.name = QStringLiteral("MSMSThresholdInPercent"),
             .fieldType = FieldType::Boolean,
             .factoryDefault = QStringLiteral("1"),
             .kind = Kind::Boolean,
             .dialogField = DialogField::ThresholdInPercent,
             .dumpLabel = QStringLiteral("m_MSMSThresholdInPercent"),
             .dumpOrder = 14}),
        withField<&P::getMSMSDeisotope, &P::setMSMSDeisotope>({.name = QStringLiteral("MSMSDeisotope"),
                                                               .fieldType = FieldType::Boolean,
                                                               .factoryDefault = QStringLiteral("1"),
                                                               .kind = Kind::Boolean,
                                                               .dialogField = DialogField::Deisotope,
                                                               .dumpLabel = QStringLiteral("m_MSMSDeisotope"),
                                                               .dumpOrder = 15}),
        withField<&P::getMSMSReportPeakArea, &P::setMSMSReportPeakArea>(
            {.name = QStringLiteral("MSMSReportPeakArea"),
             .fieldType = FieldType::Boolean,
             .factoryDefault = QStringLiteral("1"),
             .kind = Kind::Boolean,
             .dialogField = DialogField::PeakArea,
             .dumpLabel = QStringLiteral("m_MSMSReportPeakArea"),
             .dumpOrder = 17}),
        withField<&P::getRemoveNearParent, &P::setRemoveNearParent>(
            {.name = QStringLiteral("RemoveNearParent"),
             .fieldType = FieldType::Number,
             .factoryDefault = QStringLiteral("0"),
             .kind = Kind::WholeNumber,
             .highest = 300,
             .dialogField = DialogField::NearParent}),
        withField<&P::getITraq, &P::setITraq>({.name = QStringLiteral("iTraq"),
                                               .fieldType = FieldType::Boolean,
                                               .factoryDefault = QStringLiteral("1"),
                                               .kind = Kind::Boolean,
                                               .dialogField = DialogField::ITraq,
                                               .member = QStringLiteral("ITraq")}),
        withField<&P::getMSMSAveNeedXPeaks, &P::setMSMSAveNeedXPeaks>(
            {.name = QStringLiteral("MSMSAveNeedXPeaks"),
             .fieldType = FieldType::WholeNumber,
             .factoryDefault = QStringLiteral("10"),
             .kind = Kind::WholeNumber,
             .lowest = 1,
             .highest = 100,
             .dialogField = DialogField::NeedPeaks,
             .help = QStringLiteral(
                 "Significant matches are not possible with only a few peaks. Default value is 10"),
             .dumpLabel = QStringLiteral("m_MSMSAveNeedXPeaks"),
             .dumpOrder = 16}),
        withField<&P::getMSMSAvePrecursorTol, &P::setMSMSAvePrecursorTol>(
            {.name = QStringLiteral("MSMSAvePrecursorTol"),
             .fieldType = FieldType::Number,
             .factoryDefault = QStringLiteral("1.0"),
             .kind = Kind::Number,
             .highest = 10,
             .dialogField = DialogField::PrecursorTolerance,
             .help =
                 QStringLiteral("MS-MS spectra with the 'same precursor' are summed together. Spectra have "
                                "the 'same precursor' if they are within this tolerance"),
             .dumpLabel = QStringLiteral("m_MSMSAvePrecursorTol"),
             .dumpOrder = 18}),
        // Read as a whole number, yet the dialog lets any number through (2.5 reads as 2).
        withField<&P::getMSMSAveMaxCycBetween, &P::setMSMSAveMaxCycBetween>(
            {.name = QStringLiteral("MSMSAveMaxCycBetween"),
             .fieldType = FieldType::WholeNumber,
             .factoryDefault = QStringLiteral("10"),
             .kind = Kind::Number,
             .highest = 1000,
             .dialogField = DialogField::CyclesBetween,
             .help = QStringLiteral("The maximum number of cycles between spectra that will be put into the "
                                    "same group - (as long as they have the same precusrosr mass)"),
             .dumpLabel = QStringLiteral("m_MSMSAveMaxCycBetween"),
             .dumpOrder = 19}),
        withField<&P::getMSMSAveMinCyclesPerGp, &P::setMSMSAveMinCyclesPerGp>(
            {.name = QStringLiteral("MSMSAveMinCyclesPerGroup"),
             .fieldType = FieldType::WholeNumber,
             .factoryDefault = QStringLiteral("1"),
             .kind = Kind::WholeNumber,
             .lowest = 1,
             .highest = 100,
             .dialogField = DialogField::CyclesPerGroup,
             .member = QStringLiteral("MSMSAveMinCyclesPerGp"),
             .help =
                 QStringLiteral("The minimum number of cycles in any group. It is quite common to get good "
                                "spectra with a single cycle, so this should normally be left at the "
                                "default of 1"),
             .dumpLabel = QStringLiteral("m_MSMSAveMinCyclesPerGp"),
             .dumpOrder = 20}),
        withField<&P::getUseOldQueryTitles, &P::setUseOldQueryTitles>(
            {.name = QStringLiteral("UseOldQueryTitles"),
             .fieldType = FieldType::Boolean,
             .factoryDefault = QStringLiteral("0"),
             .kind = Kind::Boolean,
             .dialogField = DialogField::OldTitles}),
        // Not processing parameters, but the dialog and the batch search client's lists carry the
        // server choice and the addresses that the choices 1 and 3 need.
        {.name = QStringLiteral("SorvexURLOption"),
         .fieldType = FieldType::None,
         .kind = Kind::WholeNumber,
         .highest = 3,
         .dialogField = DialogField::Server},
        {.name = QStringLiteral("SorvexURL"),
         .fieldType = FieldType::None,
         .kind = Kind::Text,
         .dialogField = DialogField::IntranetAddress},
        {.name = QStringLiteral("ProteinProspectorURL"),
         .fieldType = FieldType::None,
         .kind = Kind::Text,
         .dialogField = DialogField::ProspectorAddress},
    };
}

} // namespace

const std::vector<ParameterRow>& parameterTable() {
    static const std::vector<ParameterRow> table = makeTable();
    return table;
}

const ParameterRow* findParameter(const QString& name) {
    const auto& table = parameterTable();
    const auto row = std::find_if(table.begin(), table.end(), [&name](const ParameterRow& known) {
        return known.name.compare(name, Qt::CaseInsensitive) == 0;
    });
    return row == table.end() ? nullptr : &*row;
}

const ParameterRow& parameterOf(DialogField field) {
    // Every dialog field saves exactly one row, so the search always finds it.
    const auto& table = parameterTable();
    return *std::find_if(table.begin(), table.end(),
                         [field](const ParameterRow& row) { return row.dialogField == field; });
}

} // namespace ostrand

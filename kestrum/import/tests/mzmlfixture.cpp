#include "mzmlfixture.h"

#include <QFile>
#include <QTextStream>
#include <map>
#include <stdexcept>

namespace testfixture {

namespace {

// One instrument configuration per analyser, so that each spectrum can name the one that measured it.
const std::map<QString, QString>& analyzerAccessions() {
    static const std::map<QString, QString> accessions{
        {QStringLiteral("orbitrap"), QStringLiteral("MS:1000484")},
        {QStringLiteral("ion trap"), QStringLiteral("MS:1000264")},
        {QStringLiteral("time-of-flight"), QStringLiteral("MS:1000084")},
        {QStringLiteral("quadrupole"), QStringLiteral("MS:1000081")}};
    return accessions;
}

QString configurationId(const QString& analyzer) {
    return QString(analyzer).replace(QLatin1Char(' '), QLatin1Char('_'));
}

QString encode(const std::vector<double>& values) {
    QByteArray bytes(reinterpret_cast<const char*>(values.data()),
                     static_cast<qsizetype>(values.size() * sizeof(double)));
    return QString::fromLatin1(bytes.toBase64());
}

void writeArray(QTextStream& out, const std::vector<double>& values, const QString& accession,
                const QString& name) {
    const QString encoded = encode(values);
    out << "<binaryDataArray encodedLength=\"" << encoded.size() << "\">"
        << "<cvParam cvRef=\"MS\" accession=\"MS:1000523\" name=\"64-bit float\"/>"
        << "<cvParam cvRef=\"MS\" accession=\"MS:1000576\" name=\"no compression\"/>"
        << "<cvParam cvRef=\"MS\" accession=\"" << accession << "\" name=\"" << name << "\"/>"
        << "<binary>" << encoded << "</binary></binaryDataArray>\n";
}

void writeSpectrum(QTextStream& out, const FixtureSpectrum& spectrum, int index) {
    out << "<spectrum index=\"" << index << "\" id=\"scan=" << index + 1 << "\" defaultArrayLength=\""
        << spectrum.mz.size() << "\">\n"
        << "<cvParam cvRef=\"MS\" accession=\"MS:1000511\" name=\"ms level\" value=\"" << spectrum.msLevel
        << "\"/>\n"
        << (spectrum.centroided
                ? "<cvParam cvRef=\"MS\" accession=\"MS:1000127\" name=\"centroid spectrum\"/>\n"
                : "<cvParam cvRef=\"MS\" accession=\"MS:1000128\" name=\"profile spectrum\"/>\n")
        << (spectrum.negative ? "<cvParam cvRef=\"MS\" accession=\"MS:1000129\" name=\"negative scan\"/>\n"
                              : "<cvParam cvRef=\"MS\" accession=\"MS:1000130\" name=\"positive scan\"/>\n")
        << "<scanList count=\"1\"><cvParam cvRef=\"MS\" accession=\"MS:1000795\" name=\"no combination\"/>"
        << "<scan instrumentConfigurationRef=\"" << configurationId(spectrum.analyzer) << "\">"
        << "<cvParam cvRef=\"MS\" accession=\"MS:1000016\" name=\"scan start time\" value=\""
        << QString::number(spectrum.retentionTimeSeconds, 'g', 17)
        << "\" unitCvRef=\"UO\" unitAccession=\"UO:0000010\" unitName=\"second\"/></scan></scanList>\n";
    if (spectrum.precursorMz) {
        out << "<precursorList count=\"1\"><precursor><selectedIonList count=\"1\"><selectedIon>"
            << "<cvParam cvRef=\"MS\" accession=\"MS:1000744\" name=\"selected ion m/z\" value=\""
            << QString::number(*spectrum.precursorMz, 'g', 17) << "\"/>";
        if (spectrum.charge > 0)
            out << "<cvParam cvRef=\"MS\" accession=\"MS:1000041\" name=\"charge state\" value=\""
                << spectrum.charge << "\"/>";
        out << "</selectedIon></selectedIonList><activation>"
            << "<cvParam cvRef=\"MS\" accession=\"MS:1000133\" name=\"collision-induced dissociation\"/>"
            << "</activation></precursor></precursorList>\n";
    }
    out << "<binaryDataArrayList count=\"2\">\n";
    writeArray(out, spectrum.mz, QStringLiteral("MS:1000514"), QStringLiteral("m/z array"));
    writeArray(out, spectrum.intensity, QStringLiteral("MS:1000515"), QStringLiteral("intensity array"));
    out << "</binaryDataArrayList></spectrum>\n";
}

} // namespace

void writeMzml(const QString& path, const std::vector<FixtureSpectrum>& spectra, const QString& runId) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw std::runtime_error("cannot write the test file " + path.toStdString());
    QTextStream out(&file);
    out << "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
        << "<mzML xmlns=\"http://psi.hupo.org/ms/mzml\" version=\"1.1.0\">\n"
        << "<cvList count=\"2\"><cv id=\"MS\" fullName=\"Proteomics Standards Initiative Mass Spectrometry "
           "Ontology\" "
           "URI=\"https://raw.githubusercontent.com/HUPO-PSI/psi-ms-CV/master/psi-ms.obo\"/>"
        << "<cv id=\"UO\" fullName=\"Unit Ontology\" "
           "URI=\"http://ontologies.berkeleybop.org/uo.obo\"/></cvList>\n"
        << "<fileDescription><fileContent><cvParam cvRef=\"MS\" accession=\"MS:1000580\" name=\"MSn "
           "spectrum\"/>"
        << "</fileContent></fileDescription>\n"
        << "<softwareList count=\"1\"><software id=\"fixture\" version=\"1\">"
        << "<cvParam cvRef=\"MS\" accession=\"MS:1000799\" name=\"custom unreleased software tool\" "
           "value=\"\"/>"
        << "</software></softwareList>\n"
        << "<instrumentConfigurationList count=\"" << analyzerAccessions().size() << "\">\n";
    for (const auto& [analyzer, accession] : analyzerAccessions())
        out << "<instrumentConfiguration id=\"" << configurationId(analyzer)
            << "\"><componentList count=\"3\">"
            << "<source order=\"1\"><cvParam cvRef=\"MS\" accession=\"MS:1000073\" name=\"electrospray "
               "ionization\"/></source>"
            << "<analyzer order=\"2\"><cvParam cvRef=\"MS\" accession=\"" << accession << "\" name=\""
            << analyzer << "\"/></analyzer>"
            << "<detector order=\"3\"><cvParam cvRef=\"MS\" accession=\"MS:1000253\" name=\"electron "
               "multiplier\"/></detector>"
            << "</componentList></instrumentConfiguration>\n";
    out << "</instrumentConfigurationList>\n"
        << "<dataProcessingList count=\"1\"><dataProcessing id=\"dp\"><processingMethod order=\"0\" "
           "softwareRef=\"fixture\">"
        << "<cvParam cvRef=\"MS\" accession=\"MS:1000544\" name=\"Conversion to mzML\"/></processingMethod>"
        << "</dataProcessing></dataProcessingList>\n"
        << "<run id=\"" << runId << "\" defaultInstrumentConfigurationRef=\"orbitrap\">\n"
        << "<spectrumList count=\"" << spectra.size() << "\" defaultDataProcessingRef=\"dp\">\n";
    for (std::size_t i = 0; i < spectra.size(); ++i)
        writeSpectrum(out, spectra[i], static_cast<int>(i));
    out << "</spectrumList>\n</run>\n</mzML>\n";
    if (out.status() != QTextStream::Ok || !file.flush())
        throw std::runtime_error("cannot write the test file " + path.toStdString());
}

} // namespace testfixture

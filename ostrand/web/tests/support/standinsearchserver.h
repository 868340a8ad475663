#pragma once
// The stand-in search server of the tests (standinsearchserver.py beside this file), started on
// the loopback address for as long as the object lives, and what it recorded of each upload.
// Its pages, under baseUrl():
//   /sorvex/cgi/search_form.pl?SEARCH=MIS|PMF  the search form (title "COM", file "File")
//   /sorvex/cgi/form_defaults.pl                the default-parameters page
//   /nofile/cgi/search_form.pl                  the form without its file field
//   /noform/cgi/search_form.pl                  an error page without a form
//   /slow/cgi/search_form.pl                    a page that does not finish loading
//   /prospector/form.html                       Protein Prospector's form ("comment", "upload_data")

#include <QByteArray>
#include <QMap>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <vector>

namespace testsupport {

struct RecordedUpload {
    QString path;                  // where the form was posted
    QMap<QString, QString> fields; // every field but the file
    QString fileName;              // the attached file's name as the browser sent it
    QByteArray file;               // its bytes
};

class StandInSearchServer {
public:
    StandInSearchServer();
    ~StandInSearchServer();
    StandInSearchServer(const StandInSearchServer&) = delete;
    StandInSearchServer& operator=(const StandInSearchServer&) = delete;

    bool isRunning() const { return m_port != 0; }
    const QString& whyNot() const { return m_whyNot; }
    // "http://127.0.0.1:PORT"
    QString baseUrl() const;
    // Every upload so far, in the order they arrived.
    std::vector<RecordedUpload> uploads() const;
    // The address (path and query) of every page asked for so far, in order.
    QStringList pagesServed() const;

private:
    QTemporaryDir m_record;
    QProcess m_server;
    quint16 m_port = 0;
    QString m_whyNot;
};

// Why Chromium cannot be driven here (not installed), or "" when it can.
QString whyNoBrowser();

} // namespace testsupport

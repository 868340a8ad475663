#pragma once
// Where each search's query file goes: a new uniquely named file in the temporary folder, always
// one fixed file, a new uniquely named file in a chosen folder, or a file the user picks each time.
// The window lets the user make that choice, stored in the settings as "FileLocationOption",
// "FileLocationFile" and "FileLocationFolder"; GetSearchFile turns the stored choice into the path
// of the file to write, without the window.

#include <QDialog>
#include <QString>

#include <array>

class GetDirectoryForm;
class QFileDialog;
class QLineEdit;
class QPushButton;
class QRadioButton;

class SearchFileLocation : public QDialog {
    Q_OBJECT
public:
    explicit SearchFileLocation(QWidget* parent = nullptr);
    ~SearchFileLocation() override;

    // The path of the query file to write for the next search, or "" when the user cancels the
    // prompt. Choices 0 and 2 create the file, empty; choice 1 hands back the fixed file even if it
    // exists. A fixed file or folder that has gone, a file named without a folder, and a stored
    // choice other than 0 to 2 lead to the prompt on `theSaveDialog`, pre-filled with the file last
    // chosen there, which is remembered in turn.
    static QString GetSearchFile(QFileDialog& theSaveDialog);

    // The caption of option button `index` (0 to 3).
    static QString OptionCaption(int index);

protected:
    // Every showing starts from the stored values, as closing the window forgets its controls.
    void showEvent(QShowEvent* event) override;

private:
    void load();
    void updateControls();
    void chooseFile();
    void chooseDirectory();
    void accept() override;
    // The message of the first invalid entry, with the focus put on it; "" when all are valid.
    QString validate();
    void store();

    std::array<QRadioButton*, 4> m_options{};
    QLineEdit* m_searchFile;
    QPushButton* m_setFile;
    QLineEdit* m_searchDirectory;
    QPushButton* m_setDirectory;
    QFileDialog* m_commonDialog;
    GetDirectoryForm* m_directoryForm;
};

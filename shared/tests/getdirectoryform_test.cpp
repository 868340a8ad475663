#include "messages/messagecapture.h"
#include "modaldriver.h"
#include "qstringprinting.h"
#include "shared/getdirectoryform.h"

#include <QDir>
#include <QFile>
#include <QFileSystemModel>
#include <QInputDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScopeGuard>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

class GetDirectoryFormTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { modaldriver::ensureApplication(); }

    void SetUp() override {
        ASSERT_TRUE(m_folder.isValid());
        for (const char* sub : {"data/run1", "data/run2", ".hidden"})
            ASSERT_TRUE(QDir(m_folder.path()).mkpath(QString::fromLatin1(sub)));
        QFile file(folder("notes.txt"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }

    QString folder(const char* relative) const { return m_folder.filePath(QString::fromLatin1(relative)); }

    template <typename Control> Control* control(const char* name) {
        auto* found = m_form.findChild<Control*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    QString shownPath() { return control<QLineEdit>("PathEdit")->text(); }

    // Runs GetDirectory, doing `whileShown` in the shown chooser, then pressing `buttonName`.
    QString choose(const QString& startDir, const std::function<void()>& whileShown = {},
                   const char* buttonName = "OKButton", QWidget* owner = nullptr) {
        modaldriver::onNextModal([this, whileShown, buttonName](QWidget* modal) {
            EXPECT_EQ(modal, &m_form);
            if (whileShown)
                whileShown();
            control<QPushButton>(buttonName)->click();
        });
        return m_form.GetDirectory(startDir, owner);
    }

    static QString withSeparator(const QString& path) { return path + QLatin1Char('/'); }

    QTreeView* tree() { return control<QTreeView>("Dir1"); }
    QFileSystemModel* treeModel() { return qobject_cast<QFileSystemModel*>(tree()->model()); }
    // Whether the tree has listed every visible subfolder of `path`.
    bool listed(const QString& path) {
        const QModelIndex index = treeModel()->index(path);
        const auto entries = QDir(path).entryList(QDir::AllDirs | QDir::NoDotAndDotDot).size();
        return !treeModel()->canFetchMore(index) && treeModel()->rowCount(index) == entries;
    }
    bool inView(const QModelIndex& index) {
        return tree()->viewport()->rect().contains(tree()->visualRect(index).center());
    }

    QTemporaryDir m_folder;
    GetDirectoryForm m_form;
};

bool waitFor(const std::function<bool()>& condition) {
    for (int waited = 0; waited < 5000 && !condition(); waited += 10)
        QTest::qWait(10);
    return condition();
}

} // namespace

TEST_F(GetDirectoryFormTest, ReturnsTheStartFolderWithOneTrailingSeparator) {
    QString shown;
    EXPECT_EQ(choose(folder("data"), [&] { shown = shownPath(); }), withSeparator(folder("data")));
    EXPECT_EQ(shown, folder("data"));
    EXPECT_EQ(choose(withSeparator(folder("data/run2"))), withSeparator(folder("data/run2")));
    EXPECT_EQ(choose(folder(".hidden")), withSeparator(folder(".hidden")));
}

TEST_F(GetDirectoryFormTest, RootStaysASingleSeparatorAndIsShownWhole) {
    QString shown;
    EXPECT_EQ(choose(QStringLiteral("/"), [&] { shown = shownPath(); }), QStringLiteral("/"));
    EXPECT_EQ(shown, QStringLiteral("/"));
}

TEST_F(GetDirectoryFormTest, StartThatCannotBeOpenedOpensWhereTheDirectoryListStands) {
    EXPECT_EQ(choose(QString()), withSeparator(QDir::currentPath()));
    EXPECT_EQ(choose(folder("data")), withSeparator(folder("data")));
    QString shown;
    EXPECT_EQ(choose(folder("missing"), [&] { shown = shownPath(); }), withSeparator(folder("data")));
    EXPECT_EQ(shown, folder("data"));
    EXPECT_EQ(choose(folder("notes.txt")), withSeparator(folder("data")));
}

TEST_F(GetDirectoryFormTest, FolderClickedInTheTreeIsShownAndReturned) {
    QString shown;
    const QString chosen = choose(folder("data"), [&] {
        const QModelIndex run1 = treeModel()->index(folder("data/run1"));
        // The start folder stays in view while the tree fills in around it.
        ASSERT_TRUE(waitFor([&] { return inView(run1); })) << "run1 never came into view";
        QTest::mouseClick(tree()->viewport(), Qt::LeftButton, {}, tree()->visualRect(run1).center());
        shown = shownPath();
    });
    EXPECT_EQ(chosen, withSeparator(folder("data/run1")));
    EXPECT_EQ(shown, folder("data/run1"));
}

TEST_F(GetDirectoryFormTest, ScrollingByTheUserStopsTheTreeFollowingTheDirectory) {
    choose(folder("data"), [&] {
        ASSERT_TRUE(
            waitFor([&] { return listed(QDir::rootPath()) && inView(treeModel()->index(folder("data"))); }));
        QScrollBar* scrollBar = tree()->verticalScrollBar();
        scrollBar->triggerAction(QAbstractSlider::SliderToMinimum);
        // Listing a folder at the top must leave the view where the user put it.
        const QModelIndex first = treeModel()->index(0, 0, treeModel()->index(QDir::rootPath()));
        tree()->expand(first);
        ASSERT_TRUE(waitFor([&] { return listed(treeModel()->filePath(first)); }));
        QTest::qWait(50);
        EXPECT_EQ(scrollBar->value(), 0);
    });
}

TEST_F(GetDirectoryFormTest, FolderRemovedAndAddedBackStaysTheChoice) {
    QStringList shownNames;
    const QString chosen = choose(folder("data/run1"), [&] {
        ASSERT_TRUE(waitFor([&] { return listed(folder("data")); }));
        ASSERT_TRUE(QDir(folder("data")).rmdir(QStringLiteral("run1")));
        ASSERT_TRUE(waitFor([&] { return !treeModel()->index(folder("data/run1")).isValid(); }));
        shownNames.append(shownPath());
        ASSERT_TRUE(QDir(folder("data")).mkdir(QStringLiteral("run1")));
        EXPECT_TRUE(
            waitFor([&] { return treeModel()->filePath(tree()->currentIndex()) == folder("data/run1"); }));
        shownNames.append(shownPath());
    });
    EXPECT_EQ(chosen, withSeparator(folder("data/run1")));
    EXPECT_EQ(shownNames, QStringList({folder("data/run1"), folder("data/run1")}));
}

TEST_F(GetDirectoryFormTest, CancelOrEscapeReturnsEmptyText) {
    EXPECT_EQ(choose(folder("data"), {}, "CancelButton"), QString());
    modaldriver::onNextModal([this](QWidget*) { QTest::keyClick(&m_form, Qt::Key_Escape); });
    EXPECT_EQ(m_form.GetDirectory(folder("data"), nullptr), QString());
}

TEST_F(GetDirectoryFormTest, TitleReplacesTheCaptionUntilAnotherIsSet) {
    m_form.SetTitle(QStringLiteral("Choose the results folder"));
    QString caption;
    choose(folder("data"), [&] { caption = m_form.windowTitle(); });
    EXPECT_EQ(caption, QStringLiteral("Choose the results folder"));
    m_form.SetTitle(QString());
    choose(folder("data"), [&] { caption = m_form.windowTitle(); });
    EXPECT_EQ(caption, QStringLiteral("Choose the results folder"));
}

// What a Linux user does in a folder chooser: start from a place (the home folder, a mounted
// volume), type a path (~ for home, relative to the folder in hand, or one that is not there),
// and make a new folder; each ends with the folder the user means, or says why not.
TEST_F(GetDirectoryFormTest, PlacesTypedPathsAndNewFoldersChooseTheFolderOrSayWhyNot) {
    auto* places = control<QListWidget>("Places");
    ASSERT_GE(places->count(), 2) << "home and at least the root volume";
    EXPECT_EQ(places->item(0)->text(), QStringLiteral("Home"));
    QStringList placePaths;
    for (int row = 0; row < places->count(); ++row)
        placePaths.append(places->item(row)->data(Qt::UserRole).toString());
    EXPECT_TRUE(placePaths.contains(QDir::homePath()));
    EXPECT_TRUE(placePaths.contains(QStringLiteral("/")));
    EXPECT_FALSE(placePaths.contains(QStringLiteral("/proc"))) << "no system mounts";

    const auto clickPlace = [&](int row) {
        QTest::mouseClick(places->viewport(), Qt::LeftButton, {},
                          places->visualItemRect(places->item(row)).center());
    };
    const auto typePath = [&](const QString& text) {
        auto* edit = control<QLineEdit>("PathEdit");
        edit->selectAll();
        QTest::keyClicks(edit, text);
    };
    const auto answerNewFolder = [&](const QString& name) {
        modaldriver::onNextModal(
            [name](QWidget* modal) {
                auto* input = qobject_cast<QInputDialog*>(modal);
                ASSERT_NE(input, nullptr);
                input->setTextValue(name);
                input->accept();
            },
            &m_form);
        control<QPushButton>("NewFolderButton")->click();
    };
    struct Case {
        const char* what;
        std::function<void()> inChooser;
        QString chosen;
        QStringList messages;
    };
    const std::vector<Case> cases{
        {"the home place", [&] { clickPlace(0); }, withSeparator(QDir::homePath()), {}},
        {"a typed path", [&] { typePath(folder("data/run2")); }, withSeparator(folder("data/run2")), {}},
        {"a path relative to the folder in hand",
         [&] { typePath(QStringLiteral("run1")); },
         withSeparator(folder("data/run1")),
         {}},
        {"~ for the home folder",
         [&] { typePath(QStringLiteral("~")); },
         withSeparator(QDir::homePath()),
         {}},
        {"a new folder, chosen at once",
         [&] { answerNewFolder(QStringLiteral("plate 3")); },
         withSeparator(folder("data/plate 3")),
         {}},
        {"a new folder that exists already",
         [&] { answerNewFolder(QStringLiteral("run1")); },
         withSeparator(folder("data")),
         {folder("data/run1") + QStringLiteral(" exists already.")}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        messages::MessageCapture messages;
        EXPECT_EQ(choose(folder("data"), c.inChooser), c.chosen);
        QStringList shown;
        for (const auto& message : messages.shown())
            shown.append(message.text);
        EXPECT_EQ(shown, c.messages);
    }

    // A typed folder that is not there is refused on OK; the chooser stays open until corrected.
    messages::MessageCapture messages;
    bool stayedOpen = false;
    EXPECT_EQ(choose(folder("data"),
                     [&] {
                         typePath(folder("data/run9"));
                         control<QPushButton>("OKButton")->click();
                         stayedOpen = m_form.isVisible();
                         typePath(folder("data/run1"));
                     }),
              withSeparator(folder("data/run1")));
    EXPECT_TRUE(stayedOpen);
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown().front().text, QStringLiteral("Path not found: ") + folder("data/run9"));
}

TEST_F(GetDirectoryFormTest, DoesDirectoryExistChecksWithoutShowingAndStartsAfresh) {
    messages::MessageCapture messages;
    EXPECT_TRUE(m_form.DoesDirectoryExist(folder("data")));
    EXPECT_TRUE(m_form.DoesDirectoryExist(QStringLiteral("/")));
    EXPECT_FALSE(m_form.DoesDirectoryExist(folder("missing")));
    EXPECT_FALSE(m_form.DoesDirectoryExist(folder("notes.txt")));
    EXPECT_FALSE(m_form.DoesDirectoryExist(QString()));
    EXPECT_FALSE(m_form.isVisible());
    EXPECT_TRUE(messages.shown().empty());
    // After a check the chooser opens at the current directory, not where the check looked.
    EXPECT_EQ(choose(folder("missing")), withSeparator(QDir::currentPath()));
}

TEST_F(GetDirectoryFormTest, OwnerHoldsTheChooserOnlyWhileItIsShown) {
    auto owner = std::make_unique<QWidget>();
    owner->show();
    QWidget* parentWhileShown = nullptr;
    EXPECT_EQ(choose(
                  folder("data"), [&] { parentWhileShown = m_form.parentWidget(); }, "OKButton", owner.get()),
              withSeparator(folder("data")));
    EXPECT_EQ(parentWhileShown, owner.get());
    EXPECT_EQ(m_form.parentWidget(), nullptr);
    owner.reset();
    EXPECT_TRUE(m_form.DoesDirectoryExist(folder("data")));
}

TEST_F(GetDirectoryFormTest, ScreenshotOfTheChooser) {
    const QString target = QStringLiteral(OSTRAND_SCREENSHOT_DIR "/getdirectoryform.png");
    ASSERT_TRUE(QDir().mkpath(QFileInfo(target).absolutePath()));
    // Fixed folders of the build tree, so that the picture shows nothing else of the machine's
    // and stays the same from one run to the next.
    QDir folders(QStringLiteral(OSTRAND_BINARY_DIR "/screenshot-folders"));
    folders.removeRecursively();
    const auto removeFolders = qScopeGuard([&] { folders.removeRecursively(); });
    const QDir results(folders.filePath(QStringLiteral("results")));
    for (const char* sub : {"2026-12-07/plate1", "2026-12-07/plate2", "2026-12-08"})
        ASSERT_TRUE(results.mkpath(QString::fromLatin1(sub)));
    m_form.SetTitle(QStringLiteral("Select the folder for query files"));
    // Only the home folder and the root volume among the places, whatever else this machine mounts.
    auto* places = control<QListWidget>("Places");
    for (int row = 0; row < places->count(); ++row) {
        const QString place = places->item(row)->data(Qt::UserRole).toString();
        places->setRowHidden(row, place != QDir::homePath() && place != QDir::rootPath());
    }
    bool saved = false;
    choose(results.filePath(QStringLiteral("2026-12-07/plate1")), [&] {
        // The picture shows the tree once the folders above the chosen one are listed. Tests
        // running beside this one add folders to the build tree, so that one is only required to
        // have been listed at all.
        EXPECT_TRUE(waitFor([&] {
            return listed(QDir::rootPath()) &&
                   treeModel()->rowCount(treeModel()->index(QStringLiteral(OSTRAND_BINARY_DIR))) > 0 &&
                   listed(results.filePath(QStringLiteral("2026-12-07")));
        }));
        QTest::qWait(100);
        // What the picture shows: the title, the chosen folder in the path field and selected in
        // the tree, in view.
        EXPECT_EQ(m_form.windowTitle(), QStringLiteral("Select the folder for query files"));
        const QString chosen = results.filePath(QStringLiteral("2026-12-07/plate1"));
        EXPECT_EQ(shownPath(), chosen);
        EXPECT_TRUE(waitFor([&] {
            return treeModel()->filePath(tree()->currentIndex()) == chosen && inView(tree()->currentIndex());
        }));
        const QPixmap shot = m_form.grab();
        EXPECT_EQ(shot.size(), QSize(640, 440));
        saved = shot.save(target);
    });
    EXPECT_TRUE(saved) << target.toStdString();
}

#include <gtest/gtest.h>

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include "platform/codepage.h"
#include "platform/qt/file_dialog.h"
#include "qt_test_support.h"
#include "support/zx_test.h"
#include "ui/save_as_dialog.h"

namespace zx::test::qt {
namespace {

namespace ofn = platform::ofn;

class FileDialogs : public DesktopControlTest {
 protected:
  // The save-as dialog keeps the services it is given by reference.
  platform::Env dialogEnv = env();
};

QFileDialog* fileDialog(QWidget* window) {
  auto* dialog = qobject_cast<QFileDialog*>(window);
  EXPECT_NE(dialog, nullptr);
  return dialog;
}
QLineEdit* nameField(QWidget* window) { return window->findChild<QLineEdit*>("fileNameEdit"); }
QComboBox* typeList(QWidget* window) { return window->findChild<QComboBox*>("fileTypeCombo"); }
QPushButton* acceptButton(QWidget* window) {
  return qobject_cast<QPushButton*>(window->findChild<QDialogButtonBox*>()->buttons().constFirst());
}

TEST(FileFilters, DescriptionsKeepTheirPatternsOnceInQtsForm) {
  EXPECT_EQ(platform::qt::qtNameFilters({{ansi("한글 문서 (*.hwp)"), "*.hwp"},
                                         {"Text", "*.txt;*.log"},
                                         {"All", ""}}),
            (QStringList{"한글 문서 (*.hwp)", "Text (*.txt *.log)", "All (*)"}));
}

TEST_F(FileDialogs, PickingAnotherTypeRenamesTheNameField) {
  CFileExportDialog dialog(dialogEnv, ansi("다른 파일 이름으로 저장"), "download (*.hwp)|text (*.txt)|", "report.old.hwp",
                           tmp.path());
  whenModal(
      [&](QWidget* window) {
        QFileDialog* files = fileDialog(window);
        ASSERT_NE(files, nullptr);
        EXPECT_EQ(files->windowTitle().toStdString(), "다른 파일 이름으로 저장");
        EXPECT_EQ(files->acceptMode(), QFileDialog::AcceptSave);
        EXPECT_EQ(files->directory().absolutePath().toStdString(), tmp.path());
        EXPECT_EQ(files->nameFilters(), (QStringList{"download (*.hwp)", "text (*.txt)"}));
        EXPECT_EQ(files->selectedNameFilter(), "download (*.hwp)") << "the type of the name's extension";
        EXPECT_EQ(nameField(window)->text(), "report.old.hwp");
        EXPECT_FALSE(files->testOption(QFileDialog::DontConfirmOverwrite));
        saveScreenshot(window, "save_dialog");
      },
      [](QWidget* window) {
        // The person opens the type list and takes the next entry.
        QComboBox* types = typeList(window);
        ASSERT_NE(types, nullptr);
        types->setFocus();
        press(types, Qt::Key_Down);
        EXPECT_EQ(types->currentText(), "text (*.txt)");
        EXPECT_EQ(nameField(window)->text(), "report.txt") << "cut at the first '.', then the new extension";
        saveScreenshot(window, "save_dialog_type_changed");
        click(acceptButton(window));
      });
  ASSERT_TRUE(dialog.DoModal());
  EXPECT_EQ(utf8(dialog.pathName()), tmp.file("report.txt"));
  EXPECT_EQ(dialog.filterIndex, 2);
}

TEST_F(FileDialogs, AnEmptyNameFieldBecomesAStarAndTheExtension) {
  CFileExportDialog dialog(dialogEnv, "Save", "download (*.hwp)|text (*.txt)|", "", tmp.path());
  whenModal([](QWidget* window) { EXPECT_EQ(nameField(window)->text(), "*.hwp"); },
            [](QWidget* window) {
              nameField(window)->clear();
              typeList(window)->setFocus();
              press(typeList(window), Qt::Key_Down);
              EXPECT_EQ(nameField(window)->text(), "*.txt");
              press(window, Qt::Key_Escape);
            });
  EXPECT_FALSE(dialog.DoModal());
  EXPECT_EQ(dialog.filterIndex, 2) << "the last type chosen is kept";
}

TEST_F(FileDialogs, OpenDialogAnswersTheFileChosen) {
  writeFile(tmp.file("보내기.txt"), "x");
  writeFile(tmp.file("other.log"), "y");
  platform::FileDialogRequest request;
  request.save = false;
  request.initialFolder = ansi(tmp.path());
  request.filters = platform::parseFilterText(ansi("텍스트 (*.txt)|*.txt|모든 파일|*.*||"));
  whenModal(
      [&](QWidget* window) {
        QFileDialog* files = fileDialog(window);
        ASSERT_NE(files, nullptr);
        EXPECT_EQ(files->windowTitle().toStdString(), "열기");
        EXPECT_EQ(files->acceptMode(), QFileDialog::AcceptOpen);
        EXPECT_EQ(files->fileMode(), QFileDialog::ExistingFile);
        EXPECT_EQ(files->nameFilters(), (QStringList{"텍스트 (*.txt)", "모든 파일 (*.*)"}));
        EXPECT_EQ(files->parentWidget(), nullptr);
        saveScreenshot(window, "open_dialog");
      },
      [](QWidget* window) {
        type(nameField(window), QString::fromUtf8("보내기.txt"));
        press(nameField(window), Qt::Key_Return);
      });
  platform::FileDialogResult result = desktopUi()->fileDialog(request);
  ASSERT_TRUE(result.ok);
  EXPECT_EQ(utf8(result.path), tmp.file("보내기.txt"));
  EXPECT_EQ(result.filterIndex, 1);

  whenModal([](QWidget*) {},
            [](QWidget* window) { click(window->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)); });
  EXPECT_FALSE(desktopUi()->fileDialog(request).ok);
}

platform::FileDialogRequest saveRequest(const TempDir& folder, const std::string& name, unsigned flags) {
  platform::FileDialogRequest request;
  request.save = true;
  request.initialFolder = ansi(folder.path());
  request.initialName = name;
  request.flags = flags;
  return request;
}

// Saves over an existing file; answers whether Qt asked first.
bool askedBeforeReplacing(const TempDir& tmp, unsigned flags) {
  platform::FileDialogRequest request = saveRequest(tmp, "old.txt", flags);
  bool asked = false;
  whenModal([](QWidget*) {},
            [&](QWidget* window) {
              // The replace question runs its own loop inside the click: answer it from there.
              QTimer::singleShot(0, [&] {
                if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                  asked = true;
                  saveScreenshot(box, "save_dialog_replace_question");
                  click(box->button(QMessageBox::Yes));
                }
              });
              click(acceptButton(window));
            });
  platform::FileDialogResult result = desktopUi()->fileDialog(request);
  EXPECT_TRUE(result.ok);
  EXPECT_EQ(utf8(result.path), tmp.file("old.txt"));
  return asked;
}

TEST_F(FileDialogs, ReplacingAFileAsksOnlyWhenTheOverwritePromptIsAsked) {
  writeFile(tmp.file("old.txt"), "x");
  EXPECT_TRUE(askedBeforeReplacing(tmp, ofn::OFN_OVERWRITEPROMPT | ofn::OFN_HIDEREADONLY));
  EXPECT_FALSE(askedBeforeReplacing(tmp, ofn::OFN_HIDEREADONLY));
}

TEST_F(FileDialogs, TheDefaultExtensionIsAddedToANameWithoutOne) {
  platform::FileDialogRequest request = saveRequest(tmp, "memo", ofn::OFN_OVERWRITEPROMPT);
  request.defaultExtension = "txt";
  whenModal([](QWidget*) {}, [](QWidget* window) { click(acceptButton(window)); });
  platform::FileDialogResult result = desktopUi()->fileDialog(request);
  ASSERT_TRUE(result.ok);
  EXPECT_EQ(utf8(result.path), tmp.file("memo.txt"));
}

}  // namespace
}  // namespace zx::test::qt

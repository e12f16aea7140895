#include "app/views/FileDialogSavePanel.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace tovra::app {
namespace {

// A free coroutine, so that nothing it refers to lives in a lambda's frame.
QCoro::Task<void> keepAnswer(
    FileDialogSavePanel &panel, SavePanelRequest request, std::optional<std::optional<QString>> *answer)
{
    *answer = co_await panel.chooseSaveLocation(std::move(request));
}

QFileDialog *openDialog()
{
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (auto *dialog = qobject_cast<QFileDialog *>(window); dialog && dialog->isVisible())
            return dialog;
    }
    return nullptr;
}

const SavePanelRequest request {
    QStringLiteral("导出Tovra记录"), QStringLiteral("tovra-export-2024-03-05.csv"), QStringLiteral("text/csv")
};

TEST(FileDialogSavePanelTest, AsksWithoutBlockingAndAnswersTheChosenPath)
{
    QTemporaryDir folder;
    FileDialogSavePanel panel;
    std::optional<std::optional<QString>> answer;
    auto asking = keepAnswer(panel, request, &answer);

    QFileDialog *dialog = openDialog();
    ASSERT_TRUE(dialog);
    EXPECT_FALSE(answer);
    EXPECT_EQ(dialog->windowTitle(), request.title);
    EXPECT_EQ(dialog->windowModality(), Qt::ApplicationModal);
    EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptSave);
    EXPECT_FALSE(dialog->testOption(QFileDialog::ReadOnly));
    EXPECT_EQ(QFileInfo(dialog->selectedFiles().value(0)).fileName(), request.suggestedFileName);
    EXPECT_TRUE(dialog->nameFilters().value(0).contains(QStringLiteral("*.csv")));

    const QString chosen = folder.filePath(QStringLiteral("records.csv"));
    dialog->selectFile(chosen);
    // What the dialog's save button does.
    static_cast<QDialog *>(dialog)->accept();
    QCoreApplication::processEvents();

    ASSERT_TRUE(answer);
    EXPECT_EQ(*answer, chosen);
}

// The file types are named in Chinese, like the rest of the dialog, with
// their extensions after the name.
TEST(FileDialogSavePanelTest, NamesTheFileTypeInChinese)
{
    const struct {
        const char *mimeType;
        QString filter;
    } types[] = {
        { "text/csv", QStringLiteral("CSV 表格 (*.csv)") },
        { "text/markdown", QStringLiteral("Markdown 文档 (") },
        { "application/json", QStringLiteral("JSON 文件 (*.json)") },
    };
    for (const auto &type : types) {
        SCOPED_TRACE(type.mimeType);
        FileDialogSavePanel panel;
        SavePanelRequest asked = request;
        asked.mimeType = QString::fromLatin1(type.mimeType);
        std::optional<std::optional<QString>> answer;
        auto asking = keepAnswer(panel, asked, &answer);
        QFileDialog *dialog = openDialog();
        ASSERT_TRUE(dialog);
        EXPECT_TRUE(dialog->nameFilters().value(0).startsWith(type.filter))
            << dialog->nameFilters().value(0).toStdString();
        dialog->reject();
        QCoreApplication::processEvents();
    }
}

// Wherever the app was started from, the dialog opens in the user's
// documents folder.
TEST(FileDialogSavePanelTest, OpensInTheDocumentsFolder)
{
    QTemporaryDir home;
    const QByteArray savedHome = qgetenv("HOME");
    const QByteArray savedConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("HOME", home.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral(".config")).toLocal8Bit());
    ASSERT_TRUE(QDir(home.path()).mkpath(QStringLiteral("Documents")));

    FileDialogSavePanel panel;
    std::optional<std::optional<QString>> answer;
    auto asking = keepAnswer(panel, request, &answer);
    QFileDialog *dialog = openDialog();
    ASSERT_TRUE(dialog);
    const QString shownFolder = dialog->directory().absolutePath();
    const QString suggested = dialog->selectedFiles().value(0);
    dialog->reject();
    QCoreApplication::processEvents();
    qputenv("HOME", savedHome);
    qputenv("XDG_CONFIG_HOME", savedConfig);

    EXPECT_EQ(shownFolder, home.filePath(QStringLiteral("Documents")));
    EXPECT_EQ(suggested, home.filePath(QStringLiteral("Documents/") + request.suggestedFileName));
}

TEST(FileDialogSavePanelTest, CancellingAnswersNothing)
{
    FileDialogSavePanel panel;
    std::optional<std::optional<QString>> answer;
    auto asking = keepAnswer(panel, request, &answer);

    QFileDialog *dialog = openDialog();
    ASSERT_TRUE(dialog);
    dialog->reject();
    QCoreApplication::processEvents();

    ASSERT_TRUE(answer);
    EXPECT_FALSE(*answer);
}

} // namespace
} // namespace tovra::app

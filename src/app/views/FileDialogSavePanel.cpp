#include "app/views/FileDialogSavePanel.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QHash>
#include <QMimeDatabase>
#include <QStandardPaths>
#include <QWindow>

#include <qcorosignal.h>

#include <memory>

namespace tovra::app {

namespace {

// Exports land where the user keeps documents, not wherever the app was
// started from; without such a folder, in the home folder.
QString startingFolder()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return !documents.isEmpty() && QDir(documents).exists() ? documents : QDir::homePath();
}

// The file type in the dialog's own language, with its extensions: the
// shared MIME database names types in English ("CSV document").
QString fileTypeFilter(const QMimeType &type)
{
    static const QHash<QString, QString> names {
        { QStringLiteral("text/csv"), QStringLiteral("CSV 表格") },
        { QStringLiteral("text/markdown"), QStringLiteral("Markdown 文档") },
        { QStringLiteral("application/json"), QStringLiteral("JSON 文件") },
    };
    const QString name = names.value(type.name(), type.preferredSuffix().toUpper() + QStringLiteral(" 文件"));
    return name + QStringLiteral(" (") + type.globPatterns().join(QLatin1Char(' ')) + QStringLiteral(")");
}

void bringForward(QWidget *window)
{
    if (!window)
        return;
    window->raise();
    window->activateWindow();
}

} // namespace

QCoro::Task<std::optional<QString>> FileDialogSavePanel::chooseSaveLocation(SavePanelRequest request)
{
    QWidget *parent = m_parentWindow ? m_parentWindow->window() : QApplication::activeWindow();
    bringForward(parent);

    // The dialog has no owner but this coroutine, so nothing can delete it
    // while the coroutine waits; it is only stacked over the parent window.
    const std::unique_ptr<QFileDialog> dialog = std::make_unique<QFileDialog>(nullptr, request.title);
    if (parent) {
        dialog->winId();
        dialog->windowHandle()->setTransientParent(parent->windowHandle());
    }
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setWindowModality(Qt::ApplicationModal);
    dialog->setOption(QFileDialog::ReadOnly, !request.canCreateDirectories);
    const QMimeType type = QMimeDatabase().mimeTypeForName(request.mimeType);
    dialog->setNameFilter(fileTypeFilter(type));
    // A name typed without its extension gets the type's own.
    if (request.showsFileExtension)
        dialog->setDefaultSuffix(type.preferredSuffix());
    dialog->setDirectory(startingFolder());
    dialog->selectFile(request.suggestedFileName);
    // Shown, not exec()'d: the answer arrives as the finished signal while
    // the event loop goes on. (open() would make it modal for the parent
    // window only.)
    dialog->show();
    bringForward(dialog.get());

    const int result = co_await qCoro(dialog.get(), &QDialog::finished);
    const QStringList chosen = dialog->selectedFiles();
    if (result != QDialog::Accepted || chosen.isEmpty())
        co_return std::nullopt;
    co_return chosen.constFirst();
}

} // namespace tovra::app

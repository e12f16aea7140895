#pragma once

#include <QCoroTask>
#include <QString>

#include <optional>

namespace tovra {

// What the save dialog asks: its title, the proposed file name and the one
// kind of file it accepts.
struct SavePanelRequest {
    QString title;
    QString suggestedFileName;
    // The MIME type of the file, e.g. "text/csv".
    QString mimeType;
    bool canCreateDirectories = true;
    bool showsFileExtension = true;

    friend bool operator==(const SavePanelRequest &, const SavePanelRequest &) = default;
};

// The dialog in which the user picks where a file is saved. It is modal: the
// app is brought forward and the caller waits for the user's answer.
class SavePanel {
public:
    virtual ~SavePanel() = default;

    // The chosen file's path; none when the user cancelled.
    virtual QCoro::Task<std::optional<QString>> chooseSaveLocation(SavePanelRequest request) = 0;
};

} // namespace tovra

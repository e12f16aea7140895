#include "app/views/clipboard/ClipboardRowActions.h"

#include "app/model/TovraAppModel.h"
#include "app/views/SymbolIcons.h"

#include <QMenu>

namespace tovra::app::views::clipboardRow {

QString pasteActionTitle(const SessionClipboardItem &item)
{
    return item.payload.kind() == SessionClipboardPayload::Kind::image ? QStringLiteral("原样回粘并记录流向")
                                                                       : QStringLiteral("带溯源回粘");
}

void addRowActions(QMenu &menu, TovraAppModel &model, const SessionClipboardItem &item)
{
    const TovraAppModelState &state = model.state();
    const bool targetAvailable
        = state.clipboardShelfTarget && state.clipboardShelfTarget->availability.isAvailable();
    const QUuid id = item.id;

    QAction *paste = menu.addAction(SymbolIcons::icon(QStringLiteral("arrow.uturn.backward")),
        pasteActionTitle(item), &model, [&model, id] { model.requestHistoricalPaste(id); });
    paste->setEnabled(targetAvailable && !state.isPasting);

    QAction *setCurrent = menu.addAction(SymbolIcons::icon(QStringLiteral("doc.on.clipboard")),
        QStringLiteral("仅设为当前剪贴板"), &model, [&model, id] { model.setClipboardItemAsCurrent(id); });
    setCurrent->setEnabled(!state.isPasting);

    menu.addSeparator();

    QAction *remove = menu.addAction(SymbolIcons::icon(QStringLiteral("trash")), QStringLiteral("删除"),
        &model, [&model, id] { model.deleteClipboardItem(id); });
    remove->setEnabled(!state.isPasting);
}

} // namespace tovra::app::views::clipboardRow

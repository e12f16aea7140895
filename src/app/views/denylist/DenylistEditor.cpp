#include "app/views/denylist/DenylistEditor.h"

#include "app/model/TovraAppModel.h"
#include "app/views/AlertBox.h"
#include "app/views/ContentUnavailableView.h"
#include "app/views/FeedbackBanners.h"
#include "app/views/LineBreaking.h"
#include "app/views/NamedComboBox.h"
#include "app/views/ScreenFit.h"
#include "app/views/SymbolIcons.h"
#include "app/views/ViewParts.h"
#include "app/views/denylist/DenylistKindText.h"
#include "app/views/denylist/DenylistRow.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QStackedWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <utility>

namespace tovra::app::views {

namespace {

constexpr int kindPickerWidth = 142;

} // namespace

DenylistEditor::DenylistEditor(TovraAppModel &model, QWidget *parent)
    : QDialog(parent)
    , m_model(model)
    , m_list(new QStackedWidget(this))
    , m_scroll(new QScrollArea(m_list))
    , m_rows(new QVBoxLayout)
{
    setWindowTitle(QStringLiteral("排除列表"));
    setAccessibleName(windowTitle());
    // Less where the screen has less room; the list scrolls.
    setFixedSize(fixedSize.boundedTo(availableContentArea(this).size()));

    auto *stack = new QVBoxLayout(this);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(0);

    auto *header = new QHBoxLayout;
    header->setContentsMargins(16, 16, 16, 16);
    auto *titles = new QVBoxLayout;
    titles->setSpacing(2);
    auto *title = new QLabel(windowTitle(), this);
    title->setFont(headlineFont(title->font()));
    titles->addWidget(title);
    titles->addWidget(captionLabel(QStringLiteral("匹配时不会读取或记录；需要粘贴时请使用系统 ⌘V"), this));
    header->addLayout(titles, 1);
    auto *done = new QPushButton(QStringLiteral("完成"), this);
    done->setAccessibleName(QStringLiteral("关闭排除列表"));
    done->setDefault(true);
    connect(done, &QPushButton::clicked, this, &QDialog::accept);
    header->addWidget(done);
    stack->addLayout(header);
    stack->addWidget(dividerLine(this));

    auto *feedback = new FeedbackBanners(model, { AppFeedbackScope::denylist }, this);
    feedback->setContentsMargins(16, 10, 16, 0);
    stack->addWidget(feedback);
    stack->addWidget(addArea());
    stack->addWidget(dividerLine(this));

    auto *empty = new ContentUnavailableView(m_list);
    empty->setContent(QStringLiteral("hand.raised.slash"), QStringLiteral("尚无排除项"),
        QStringLiteral("建议优先排除密码管理器、银行网站和终端窗口。"));
    m_list->addWidget(empty);
    auto *rows = new QWidget(m_list);
    rows->setAccessibleName(windowTitle());
    auto *rowStack = new QVBoxLayout(rows);
    rowStack->setContentsMargins(8, 8, 8, 8);
    rowStack->addLayout(m_rows);
    rowStack->addStretch();
    m_scroll->setWidget(rows);
    m_scroll->setWidgetResizable(true);
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // A Tab stop, so that the keyboard scrolls through the locked default
    // rules, which have no control of their own to move to.
    m_scroll->setAccessibleName(QStringLiteral("排除项列表"));
    m_list->addWidget(m_scroll);
    stack->addWidget(m_list, 1);

    connect(&m_model, &TovraAppModel::changed, this, [this](TovraAppModelField field) {
        if (field == TovraAppModelField::denylistEntries)
            refreshEntries();
    });
    refreshKind();
    refreshAddButton();
    refreshEntries();
}

QWidget *DenylistEditor::addArea()
{
    auto *area = new QWidget(this);
    auto *stack = new QVBoxLayout(area);
    stack->setContentsMargins(16, 16, 16, 16);
    stack->setSpacing(10);
    const QString explanation = QStringLiteral(
        "添加来源域名或目标 App 的 Bundle ID。匹配不区分大小写；请使用完整值，避免过宽规则。");
    stack->addWidget(captionLabel(keepClauseEndsTogether(explanation), area));

    auto *row = new QHBoxLayout;
    row->setSpacing(8);
    m_kind = new NamedComboBox(area);
    m_kind->setFixedWidth(kindPickerWidth);
    m_kind->setAccessibleName(QStringLiteral("排除项类型"));
    for (const DenylistEntryKind kind : allCases<DenylistEntryKind>()) {
        const DenylistKindText text = denylistKindText(kind);
        m_kind->addItem(SymbolIcons::icon(text.symbolName), text.title, int(kind));
    }
    row->addWidget(m_kind);
    m_pattern = new QLineEdit(area);
    m_pattern->setAccessibleName(QStringLiteral("新的排除关键词"));
    // Return adds the rule here instead of pressing the sheet's "完成".
    m_pattern->installEventFilter(this);
    row->addWidget(m_pattern, 1);
    m_add = new QPushButton(QStringLiteral("添加"), area);
    m_add->setAccessibleName(m_add->text());
    m_add->setAutoDefault(false);
    makeProminent(m_add);
    // Its text's width, so that the field beside it shows its whole example.
    m_add->setFixedWidth(m_add->fontMetrics().horizontalAdvance(m_add->text()) + 28);
    row->addWidget(m_add);
    stack->addLayout(row);

    connect(m_kind, &QComboBox::currentIndexChanged, this, &DenylistEditor::refreshKind);
    connect(m_pattern, &QLineEdit::textChanged, this, &DenylistEditor::refreshAddButton);
    connect(m_add, &QPushButton::clicked, this, &DenylistEditor::addPattern);
    return area;
}

void DenylistEditor::done(int result)
{
    // Closed first, so that whoever follows the flag finds it closed.
    TovraAppModel &model = m_model;
    QDialog::done(result);
    model.setShowDenylist(false);
}

bool DenylistEditor::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_pattern && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            addPattern();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void DenylistEditor::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    fitToScreen(this, fixedSize, Placement::keep);
}

DenylistEntryKind DenylistEditor::newKind() const
{
    return DenylistEntryKind(m_kind->currentData().toInt());
}

void DenylistEditor::addPattern()
{
    // The model takes the rule as the user meant it: without the blanks a
    // paste brings along, and never empty.
    const QString pattern = m_pattern->text().trimmed();
    if (pattern.isEmpty())
        return;
    m_awaitedEntry = std::pair(newKind(), pattern);
    m_model.addDenylistEntry(newKind(), pattern);
    m_pattern->clear();
}

void DenylistEditor::refreshKind()
{
    const DenylistKindText text = denylistKindText(newKind());
    m_pattern->setPlaceholderText(text.placeholder);
    m_pattern->setAccessibleDescription(text.accessibilityHint);
}

void DenylistEditor::refreshAddButton()
{
    m_add->setEnabled(!m_pattern->text().trimmed().isEmpty());
}

void DenylistEditor::refreshEntries()
{
    while (QLayoutItem *item = m_rows->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    const QList<DenylistEntry> &entries = m_model.state().denylistEntries;
    DenylistRow *added = nullptr;
    for (const DenylistEntry &entry : entries) {
        auto *row = new DenylistRow(entry, m_list);
        connect(row, &DenylistRow::removeRequested, this, [this, entry] { confirmRemoval(entry); });
        m_rows->addWidget(row);
        if (m_awaitedEntry && entry.kind == m_awaitedEntry->first
            && entry.pattern.compare(m_awaitedEntry->second, Qt::CaseInsensitive) == 0)
            added = row;
    }
    m_list->setCurrentIndex(entries.isEmpty() ? 0 : 1);
    if (added) {
        m_awaitedEntry.reset();
        // Once the rows are laid out, the scroll area knows where the new one is.
        QTimer::singleShot(0, this, [this, row = QPointer<QWidget>(added)] {
            if (!row)
                return;
            // The rows' layout, and the scroll area's range after it.
            QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
            m_scroll->ensureWidgetVisible(row, 0, 0);
        });
    }
}

void DenylistEditor::confirmRemoval(const DenylistEntry &entry)
{
    if (m_removalAlert)
        return;
    m_pendingRemoval = entry;
    QMessageBox *alert = alerts::newAlert(
        QStringLiteral("移除这个排除项？"), QStringLiteral("移除后，该目标可能再次被Tovra处理。"), this);
    QPushButton *cancel = alerts::addButton(alert, QStringLiteral("取消"), QMessageBox::RejectRole);
    QPushButton *remove = alerts::addButton(alert, QStringLiteral("移除"), QMessageBox::DestructiveRole);
    alerts::makeCancelTheDefault(alert, cancel);
    connect(alert, &QMessageBox::finished, this, [this, alert, remove] {
        m_removalAlert.clear();
        const std::optional<DenylistEntry> pending = std::exchange(m_pendingRemoval, std::nullopt);
        if (alert->clickedButton() == remove && pending)
            m_model.removeDenylistEntry(*pending);
    });
    m_removalAlert = alert;
    alert->open();
}

} // namespace tovra::app::views

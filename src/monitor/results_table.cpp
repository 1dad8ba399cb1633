#include "monitor/results_table.h"

#include "text/encoding.h"

namespace lc {

namespace {

QString cellText(const std::string& gbk) {
    return gbk.empty() ? QStringLiteral("null") : QString::fromStdString(gbkToUtf8(gbk));
}

}  // namespace

ResultsTable::ResultsTable(QTreeWidget& list, QMenu& menu, QAction& copyTitle, QAction& copyLink,
                           ResultsHooks hooks, QObject* parent)
    : QObject(parent), list_(list), menu_(menu), hooks_(std::move(hooks)) {
    list_.setContextMenuPolicy(Qt::CustomContextMenu);
    connect(&list_, &QWidget::customContextMenuRequested, this, &ResultsTable::popUpMenu);
    connect(&copyTitle, &QAction::triggered, this, &ResultsTable::copyTitle);
    connect(&copyLink, &QAction::triggered, this, &ResultsTable::copyLink);
}

void ResultsTable::addResultRow(const std::string& title, const std::string& address,
                                const std::string& result) {
    auto* row = new QTreeWidgetItem(&list_);
    const int index = list_.indexOfTopLevelItem(row);
    row->setText(IdColumn, QString::number(index + 1));
    row->setText(TitleColumn, cellText(title));
    row->setText(AddressColumn, cellText(address));
    row->setText(ResultColumn, cellText(result));
}

int ResultsTable::selectedRow() const {
    const QList<QTreeWidgetItem*> selected = list_.selectedItems();
    return selected.isEmpty() ? -1 : list_.indexOfTopLevelItem(selected.first());
}

void ResultsTable::copyTitle() {
    copyColumn(TitleColumn);
}

void ResultsTable::copyLink() {
    copyColumn(AddressColumn);
}

void ResultsTable::copyColumn(Column column) {
    const int row = selectedRow();
    hooks_.setClipboardText(row < 0 ? QString() : list_.topLevelItem(row)->text(column));
    hooks_.showMessage(QStringLiteral("复制成功"));
}

// The menu opens 3 pixels right of and below the pointer.
void ResultsTable::popUpMenu(const QPoint& viewportPosition) {
    menu_.popup(list_.viewport()->mapToGlobal(viewportPosition) + QPoint(3, 3));
}

}  // namespace lc

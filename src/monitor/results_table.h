// The record of claim attempts in the results list: one row per evaluated landing page, kept
// only in the list. Also owns the list's popup menu and its two copy actions.
#pragma once

#include <QAction>
#include <QMenu>
#include <QObject>
#include <QTreeWidget>
#include <functional>
#include <string>

namespace lc {

struct ResultsHooks {
    std::function<void(const QString& text)> setClipboardText;
    std::function<void(const QString& text)> showMessage;  // returns when the user closed it
};

class ResultsTable : public QObject {
    Q_OBJECT
public:
    enum Column { IdColumn, TitleColumn, AddressColumn, ResultColumn };

    ResultsTable(QTreeWidget& list, QMenu& menu, QAction& copyTitle, QAction& copyLink, ResultsHooks hooks,
                 QObject* parent = nullptr);

    // Appends a row numbered from 1; the texts are GBK and an empty one shows as "null".
    void addResultRow(const std::string& title, const std::string& address, const std::string& result);

    // The selected row, -1 when none.
    int selectedRow() const;
    void copyTitle();
    void copyLink();

private:
    void popUpMenu(const QPoint& viewportPosition);
    void copyColumn(Column column);

    QTreeWidget& list_;
    QMenu& menu_;
    ResultsHooks hooks_;
};

}  // namespace lc

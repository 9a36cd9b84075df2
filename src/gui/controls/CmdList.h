// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The command list window (ｺﾏﾝﾄﾞ一覧): one row per command item that has command data, with
// its repeat period and automatic answer. Rows are kept in ascending order of the command as
// they are added; a click on a column heading sorts by that column, rows without a value at
// the bottom either way. Double click or Enter selects the row's item in the main window's
// tree. A window of its own, owned by the hidden CDummyDlg; its placement and column widths
// are kept in the preferences from one opening to the next.

#include <QDialog>
#include <QEvent>
#include <memory>
#include <string>

#include "core/items/CommandListRows.h"
#include "core/items/CommandListView.h"
#include "core/settings/Preferences.h"

class QTreeView;

namespace vexa {

// What the list asks of the main window, sent as its private window messages.
inline constexpr QEvent::Type kSelectItemEvent = static_cast<QEvent::Type>(0x482);
inline constexpr QEvent::Type kListClosedEvent = static_cast<QEvent::Type>(0x48C);
inline constexpr QEvent::Type kGetItemEvent = static_cast<QEvent::Type>(0x4AA);

class CommandListEvent : public QEvent {
 public:
  // kSelectItemEvent: select `item` in the tree and give the tree the focus.
  // kListClosedEvent: the close box, the same as the ｺﾏﾝﾄﾞ一覧 command.
  // kGetItemEvent: the record of `item`, for sorting (rows hold the tree item only); the
  // receiver answers with SetRecord.
  explicit CommandListEvent(QEvent::Type type, ItemHandle item = nullptr)
      : QEvent(type), item_(item) {}
  ItemHandle Item() const { return item_; }
  const CAttr* Record() const { return record_; }
  void SetRecord(const CAttr* record) { record_ = record; }

 private:
  ItemHandle item_;
  const CAttr* record_ = nullptr;
};

class CCmdList : public QDialog, public CommandListView {
  Q_OBJECT

 public:
  // Laid out from the stored layout, or at the template's size; not shown yet. `target`
  // receives the CommandListEvents.
  CCmdList(QWidget* owner, QObject& target, Preferences preferences, const std::string& fileTitle);
  // Stores the layout, unless Destroy did already.
  ~CCmdList() override;

  // Closes the window for good: the layout is stored now, the object deleted a moment later.
  void Destroy();

  bool IsShown() const override { return !destroyed_; }
  void AddRow(ItemHandle item, const CAttr& record) override;
  bool RemoveRow(ItemHandle item) override;
  void RemoveAllRows() override;
  void SetFileTitle(const std::string& title) override;
  void BeginRefill() override;
  void EndRefill() override;

  // A click on the heading of `column`.
  void SortByColumn(int column);

  // The rows as shown, from the top.
  int RowCount() const;
  ItemHandle RowItem(int row) const;
  QString CellText(int row, int column) const;
  QTreeView& List() const { return *list_; }

 public slots:
  void accept() override;  // Enter: the selected row's item
  void reject() override;  // Escape: the window stays

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  class RowModel;

  void RestoreLayout();
  void StoreLayout();
  void ChooseRow(int row);
  const CAttr* RecordOf(ItemHandle item) const;

  QObject& target_;
  Preferences preferences_;
  QString baseCaption_;
  QTreeView* list_ = nullptr;
  RowModel* rows_ = nullptr;
  CommandListSort sort_;
  bool destroyed_ = false;
  bool layoutStored_ = false;
};

}  // namespace vexa

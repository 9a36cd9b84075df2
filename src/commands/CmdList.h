#pragma once
// The command list window (ｺﾏﾝﾄﾞ一覧): one row per command item that has command data, with
// its repeat period and automatic answer. Rows are kept in ascending order of the command as
// they are added; a click on a column heading sorts by that column, rows without a value at
// the bottom either way. Double click or Enter selects the row's item in the main window's
// tree. A window of its own, owned by the hidden CDummyDlg; its placement and column widths
// are kept in the preferences from one opening to the next.

#include <QDialog>
#include <memory>
#include <string>

#include "commands/CommandListRows.h"
#include "commands/CommandListView.h"
#include "settings/Preferences.h"

class QTreeView;

namespace vexa {

// What the list asks of the main window.
class CommandListTarget {
 public:
  // A row was chosen: select its item in the tree and give the tree the focus.
  virtual void SelectItemFromList(ItemHandle item) = 0;
  // The close box: the same as the ｺﾏﾝﾄﾞ一覧 command.
  virtual void CommandListClosed() = 0;
  // A row's record, for sorting; rows hold the tree item only.
  virtual const CAttr* RecordForList(ItemHandle item) const = 0;

 protected:
  ~CommandListTarget() = default;
};

class CCmdList : public QDialog, public CommandListView {
  Q_OBJECT

 public:
  // Laid out from the stored layout, or at the template's size; not shown yet.
  CCmdList(QWidget* owner, CommandListTarget& target, Preferences preferences,
           const std::string& fileTitle);
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

  CommandListTarget& target_;
  Preferences preferences_;
  QString baseCaption_;
  QTreeView* list_ = nullptr;
  RowModel* rows_ = nullptr;
  CommandListSort sort_;
  bool destroyed_ = false;
  bool layoutStored_ = false;
};

}  // namespace vexa

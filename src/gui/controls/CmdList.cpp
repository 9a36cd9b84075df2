// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/controls/CmdList.h"

#include <QAbstractTableModel>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFile>
#include <QHeaderView>
#include <QIcon>
#include <QKeyEvent>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdint>
#include <numeric>
#include <string_view>
#include <vector>

#include "gui/seam/DialogUnits.h"
#include "gui/seam/QtRecords.h"
#include "gui/seam/QtText.h"

namespace vexa {
namespace {

constexpr int kColumns = 4;
constexpr const char* kCaption = "ｺﾏﾝﾄﾞ一覧";
constexpr const char* kHeadings[kColumns] = {"送信ｺﾏﾝﾄﾞ", "送信周期", "自動応答", "応答遅延"};
constexpr Qt::Alignment kAlignments[kColumns] = {Qt::AlignLeft, Qt::AlignRight, Qt::AlignLeft,
                                                 Qt::AlignRight};

// Template 157, in dialog units: the client area and the list in it.
constexpr int kClientWidth = 78, kClientHeight = 189;
constexpr int kListX = 7, kListY = 7, kListWidth = 64, kListHeight = 175;

int AlignmentOf(int column) {
  return static_cast<int>(kAlignments[column] | Qt::AlignVCenter);
}

}  // namespace

// The rows, each holding its tree item and its four texts as CP932. The texts of all rows lie
// in one buffer and become QStrings only when a row is drawn: a list of a hundred thousand
// rows fills in one go, without a memory allocation per row.
class CCmdList::RowModel : public QAbstractTableModel {
 public:
  using QAbstractTableModel::QAbstractTableModel;

  int rowCount(const QModelIndex& parent = {}) const override {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
  }
  int columnCount(const QModelIndex& parent = {}) const override {
    return parent.isValid() ? 0 : kColumns;
  }
  QVariant data(const QModelIndex& index, int role) const override {
    if (!index.isValid()) return {};
    if (role == Qt::DisplayRole) return ToQString(Cell(RowAt(index.row()), index.column()));
    if (role == Qt::TextAlignmentRole) return AlignmentOf(index.column());
    return {};
  }
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
    if (orientation != Qt::Horizontal || section < 0 || section >= kColumns) return {};
    if (role == Qt::DisplayRole) return QString::fromUtf8(kHeadings[section]);
    if (role == Qt::TextAlignmentRole) return AlignmentOf(section);
    return {};
  }
  Qt::ItemFlags flags(const QModelIndex& index) const override {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
  }

  ItemHandle ItemAt(int row) const { return RowAt(row).item; }

  // Before the first row whose command sorts after it, as a list sorted by command inserts.
  void Insert(ItemHandle item, const std::array<std::string, kColumns>& cells) {
    const Row row = Store(item, cells);
    if (bulk_) {
      rows_.push_back(row);
      return;
    }
    const auto place = std::find_if(rows_.begin(), rows_.end(),
                                    [&](const Row& each) { return Before(row, each); });
    const int at = static_cast<int>(place - rows_.begin());
    beginInsertRows({}, at, at);
    rows_.insert(place, row);
    endInsertRows();
  }
  bool Remove(ItemHandle item) {
    const auto found = std::find_if(rows_.begin(), rows_.end(),
                                    [&](const Row& each) { return each.item == item; });
    if (found == rows_.end()) return false;
    const int at = static_cast<int>(found - rows_.begin());
    beginRemoveRows({}, at, at);
    liveBytes_ -= Bytes(*found);
    rows_.erase(found);
    endRemoveRows();
    if (texts_.size() > 2 * liveBytes_ + kSlack) CompactTexts();
    return true;
  }
  void Clear() {
    beginResetModel();
    rows_.clear();
    texts_.clear();
    liveBytes_ = 0;
    endResetModel();
  }
  // Rows inserted between these two are sorted once, at the end, and shown as one change.
  void BeginBulk() {
    if (bulk_) return;
    beginResetModel();
    bulk_ = true;
  }
  void EndBulk() {
    if (!bulk_) return;
    std::stable_sort(rows_.begin(), rows_.end(),
                     [this](const Row& a, const Row& b) { return Before(a, b); });
    bulk_ = false;
    endResetModel();
  }
  // Puts the rows in the order given as old row numbers; the selection moves with its row.
  void Reorder(const std::vector<std::size_t>& order) {
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<Row> reordered(rows_.size());
    std::vector<int> newRowOf(rows_.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
      newRowOf[order[i]] = static_cast<int>(i);
      reordered[i] = rows_[order[i]];
    }
    rows_ = std::move(reordered);
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    for (const QModelIndex& index : before) {
      after.append(index.isValid() ? this->index(newRowOf[static_cast<std::size_t>(index.row())],
                                                 index.column())
                                   : index);
    }
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
  }

 private:
  // The cells lie one after the other in texts_, from `offset` on.
  struct Row {
    ItemHandle item = nullptr;
    std::uint32_t offset = 0;
    std::array<std::uint32_t, kColumns> lengths{};
  };
  // Removed rows leave their texts behind until they are this much more than the rest.
  static constexpr std::size_t kSlack = 64 * 1024;

  const Row& RowAt(int row) const { return rows_[static_cast<std::size_t>(row)]; }
  std::string_view Cell(const Row& row, int column) const {
    std::size_t at = row.offset;
    for (int c = 0; c < column; ++c) at += row.lengths[static_cast<std::size_t>(c)];
    return std::string_view(texts_).substr(at, row.lengths[static_cast<std::size_t>(column)]);
  }
  static std::size_t Bytes(const Row& row) {
    return std::accumulate(row.lengths.begin(), row.lengths.end(), std::size_t{0});
  }
  bool Before(const Row& a, const Row& b) const { return CompareCp932(Cell(a, 0), Cell(b, 0)) < 0; }

  Row Store(ItemHandle item, const std::array<std::string, kColumns>& cells) {
    Row row{item, static_cast<std::uint32_t>(texts_.size()), {}};
    for (std::size_t c = 0; c < cells.size(); ++c) {
      row.lengths[c] = static_cast<std::uint32_t>(cells[c].size());
      texts_ += cells[c];
    }
    liveBytes_ += Bytes(row);
    return row;
  }
  void CompactTexts() {
    std::string kept;
    kept.reserve(liveBytes_);
    for (Row& row : rows_) {
      const auto offset = static_cast<std::uint32_t>(kept.size());
      kept.append(texts_, row.offset, Bytes(row));
      row.offset = offset;
    }
    texts_ = std::move(kept);
  }

  std::vector<Row> rows_;
  std::string texts_;
  std::size_t liveBytes_ = 0;
  bool bulk_ = false;
};

CCmdList::CCmdList(QWidget* owner, QObject& target, Preferences preferences,
                   const std::string& fileTitle)
    : QDialog(owner, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowCloseButtonHint),
      target_(target),
      preferences_(std::move(preferences)),
      baseCaption_(QString::fromUtf8(kCaption)) {
  setWindowIcon(QIcon(QStringLiteral(":/vexa/vexa.png")));
  setFont(DialogFont());
  const DialogUnits units(font());
  const QSize client = units.Size(kClientWidth, kClientHeight);
  const QRect listRect = units.Rect(kListX, kListY, kListWidth, kListHeight);

  list_ = new QTreeView(this);
  rows_ = new RowModel(list_);
  list_->setModel(rows_);
  list_->setRootIsDecorated(false);
  list_->setItemsExpandable(false);
  list_->setUniformRowHeights(true);
  list_->setAllColumnsShowFocus(true);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->setSelectionBehavior(QAbstractItemView::SelectRows);
  list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list_->header()->setStretchLastSection(false);
  list_->header()->setSectionsMovable(false);
  list_->header()->setSectionsClickable(true);
  QFont fixed = list_->font();
  fixed.setFamily(QString::fromUtf8(kFixedFace));
  list_->setFont(fixed);

  // The list keeps its distance to every edge as the window is resized.
  auto* frame = new QVBoxLayout(this);
  frame->setContentsMargins(listRect.left(), listRect.top(),
                            client.width() - listRect.left() - listRect.width(),
                            client.height() - listRect.top() - listRect.height());
  frame->addWidget(list_);
  resize(client);

  std::array<std::int32_t, kColumns> widths = {listRect.width(), listRect.width() / 2,
                                               listRect.width(), listRect.width() / 2};
  if (const auto stored = preferences_.ReadListLayout()) {
    ApplyPlacement(*this, stored->placement);
    widths = stored->columnWidths;
  }
  for (int column = 0; column < kColumns; ++column) {
    list_->header()->resizeSection(column, widths[static_cast<std::size_t>(column)]);
  }

  connect(list_, &QAbstractItemView::doubleClicked, this,
          [this](const QModelIndex& index) { ChooseRow(index.row()); });
  connect(list_->header(), &QHeaderView::sectionClicked, this, &CCmdList::SortByColumn);
  SetFileTitle(fileTitle);
}

CCmdList::~CCmdList() {
  if (!layoutStored_) StoreLayout();
}

void CCmdList::Destroy() {
  if (destroyed_) return;
  StoreLayout();
  destroyed_ = true;
  hide();
  deleteLater();
}

void CCmdList::StoreLayout() {
  ListLayout layout;
  for (int column = 0; column < kColumns; ++column) {
    layout.columnWidths[static_cast<std::size_t>(column)] = list_->header()->sectionSize(column);
  }
  layout.placement = PlacementOf(*this);
  preferences_.WriteListLayout(layout);  // a minimised window is stored as a normal one
  layoutStored_ = true;
}

void CCmdList::AddRow(ItemHandle item, const CAttr& record) {
  if (!destroyed_) rows_->Insert(item, CommandListColumnsOf(record));
}

bool CCmdList::RemoveRow(ItemHandle item) {
  return !destroyed_ && rows_->Remove(item);
}

void CCmdList::RemoveAllRows() {
  if (!destroyed_) rows_->Clear();
}

void CCmdList::BeginRefill() {
  rows_->BeginBulk();
}

void CCmdList::EndRefill() {
  rows_->EndBulk();
}

void CCmdList::SetFileTitle(const std::string& title) {
  setWindowTitle(title.empty() ? baseCaption_
                               : baseCaption_ + QLatin1Char(' ') +
                                     QFile::decodeName(QByteArray::fromStdString(title)));
}

void CCmdList::SortByColumn(int column) {
  sort_.ClickColumn(column);
  // Each row's record once, from the main window, rather than twice per comparison.
  static const CAttr kNoRecord;
  const std::size_t count = static_cast<std::size_t>(rows_->rowCount());
  std::vector<const CAttr*> records(count);
  for (std::size_t row = 0; row < count; ++row) {
    const CAttr* record = RecordOf(rows_->ItemAt(static_cast<int>(row)));
    records[row] = record ? record : &kNoRecord;
  }
  std::vector<std::size_t> order(count);
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    return sort_.Compare(*records[a], *records[b]) < 0;
  });
  rows_->Reorder(order);
}

int CCmdList::RowCount() const {
  return rows_->rowCount();
}

ItemHandle CCmdList::RowItem(int row) const {
  return rows_->ItemAt(row);
}

QString CCmdList::CellText(int row, int column) const {
  return rows_->data(rows_->index(row, column), Qt::DisplayRole).toString();
}

const CAttr* CCmdList::RecordOf(ItemHandle item) const {
  CommandListEvent request(kGetItemEvent, item);
  QCoreApplication::sendEvent(&target_, &request);
  return request.Record();
}

void CCmdList::ChooseRow(int row) {
  if (row < 0 || row >= RowCount()) return;
  CommandListEvent select(kSelectItemEvent, RowItem(row));
  QCoreApplication::sendEvent(&target_, &select);
}

void CCmdList::accept() {
  const QModelIndexList selected = list_->selectionModel()->selectedRows();
  if (!selected.isEmpty()) ChooseRow(selected.front().row());
}

void CCmdList::reject() {}

void CCmdList::keyPressEvent(QKeyEvent* event) {
  const bool plain =
      event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier;
  if (plain && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
    accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

void CCmdList::closeEvent(QCloseEvent* event) {
  event->ignore();  // the main window decides, as with its menu command
  CommandListEvent closed(kListClosedEvent);
  QCoreApplication::sendEvent(&target_, &closed);
}

}  // namespace vexa

#include "ui/models/server_rows_model.h"

#include <tuple>

namespace corvane::ui {

namespace {

QString qs(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

ServerRowsModel::ServerRowsModel(QObject* parent) : QAbstractListModel(parent) {}

void ServerRowsModel::update(std::vector<servers::ServerSection> sections,
                             const std::vector<api::IPBundle>& servers) {
  sections_ = std::move(sections);
  if (servers.data() != catalogue_ || servers.size() != catalogueSize_) {
    // Another catalogue: indices and texts of the old rows mean nothing any more.
    catalogue_ = servers.data();
    catalogueSize_ = servers.size();
    beginResetModel();
    rows_ = build();
    endResetModel();
    return;
  }
  apply(build());
}

void ServerRowsModel::toggleSection(const QString& countryName) {
  if (!collapsed_.remove(countryName)) collapsed_.insert(countryName);
  apply(build());
}

std::vector<ServerRowsModel::Row> ServerRowsModel::build() const {
  std::vector<Row> rows;
  for (const auto& section : sections_) {
    const bool expanded = !collapsed_.contains(qs(section.countryName));
    rows.push_back(Row{section.countryName, -1, section.flagAsset.value_or(""), expanded});
    if (!expanded) continue;
    for (std::size_t index : section.serverIndices) {
      rows.push_back(Row{section.countryName, static_cast<int>(index), {}, true});
    }
  }
  return rows;
}

void ServerRowsModel::apply(std::vector<Row> next) {
  // Both lists follow one order: country name (as the picker sorts them), then the heading,
  // then servers by catalogue index. A merge walk finds the runs to remove and to insert.
  const auto before = [](const Row& a, const Row& b) {
    return std::tie(a.country, a.server) < std::tie(b.country, b.server);
  };
  std::size_t newAt = 0;
  int position = 0;  // row index in the live list
  old_ = std::move(rows_);
  oldAt_ = 0;
  rows_.clear();
  rows_.reserve(next.size());
  while (oldAt_ < old_.size() || newAt < next.size()) {
    const bool removeFirst =
        newAt == next.size() || (oldAt_ < old_.size() && before(old_[oldAt_], next[newAt]));
    const bool insertFirst =
        !removeFirst && (oldAt_ == old_.size() || before(next[newAt], old_[oldAt_]));
    if (removeFirst) {
      std::size_t end = oldAt_ + 1;
      while (end < old_.size() && (newAt == next.size() || before(old_[end], next[newAt]))) ++end;
      beginRemoveRows({}, position, position + static_cast<int>(end - oldAt_) - 1);
      oldAt_ = end;
      endRemoveRows();
    } else if (insertFirst) {
      std::size_t end = newAt + 1;
      while (end < next.size() && (oldAt_ == old_.size() || before(next[end], old_[oldAt_]))) ++end;
      beginInsertRows({}, position, position + static_cast<int>(end - newAt) - 1);
      rows_.insert(rows_.end(), next.begin() + static_cast<std::ptrdiff_t>(newAt),
                   next.begin() + static_cast<std::ptrdiff_t>(end));
      position += static_cast<int>(end - newAt);
      newAt = end;
      endInsertRows();
    } else {
      const bool differs = old_[oldAt_].expanded != next[newAt].expanded ||
                           old_[oldAt_].flag != next[newAt].flag;
      rows_.push_back(next[newAt]);
      ++oldAt_;
      ++newAt;
      if (differs) emit dataChanged(index(position), index(position), {expandedRole, flagRole});
      ++position;
    }
  }
  old_.clear();
  oldAt_ = 0;
}

int ServerRowsModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(liveCount());
}

QVariant ServerRowsModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= static_cast<int>(liveCount())) return {};
  const Row& row = liveRow(static_cast<std::size_t>(index.row()));
  switch (role) {
    case kindRole: return row.server < 0 ? QStringLiteral("section") : QStringLiteral("server");
    case countryNameRole: return qs(row.country);
    case flagRole: return qs(row.flag);
    case ipNameRole:
      if (row.server < 0) return QString();
      return qs(catalogue_[row.server].ipName.value_or(""));
    case serverIndexRole: return row.server;
    case expandedRole: return row.expanded;
    default: return {};
  }
}

QHash<int, QByteArray> ServerRowsModel::roleNames() const {
  return {{kindRole, "kind"},         {countryNameRole, "countryName"},
          {flagRole, "flag"},         {ipNameRole, "ipName"},
          {serverIndexRole, "serverIndex"}, {expandedRole, "expanded"}};
}

}  // namespace corvane::ui

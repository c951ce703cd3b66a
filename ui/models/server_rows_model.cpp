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
  std::size_t oldAt = 0;
  std::size_t newAt = 0;
  int position = 0;  // row index in the live list
  std::vector<Row> old = std::move(rows_);
  rows_.clear();
  rows_.reserve(next.size());
  // rows_ is rebuilt as the walk goes; the rows not yet reached stay in `old`, so the live
  // list the view knows at each signal is rows_ followed by old[oldAt...].
  while (oldAt < old.size() || newAt < next.size()) {
    const bool removeFirst =
        newAt == next.size() || (oldAt < old.size() && before(old[oldAt], next[newAt]));
    const bool insertFirst = !removeFirst && (oldAt == old.size() || before(next[newAt], old[oldAt]));
    if (removeFirst) {
      std::size_t end = oldAt + 1;
      while (end < old.size() && (newAt == next.size() || before(old[end], next[newAt]))) ++end;
      beginRemoveRows({}, position, position + static_cast<int>(end - oldAt) - 1);
      oldAt = end;
      endRemoveRows();
    } else if (insertFirst) {
      std::size_t end = newAt + 1;
      while (end < next.size() && (oldAt == old.size() || before(next[end], old[oldAt]))) ++end;
      beginInsertRows({}, position, position + static_cast<int>(end - newAt) - 1);
      rows_.insert(rows_.end(), next.begin() + newAt, next.begin() + end);
      position += static_cast<int>(end - newAt);
      newAt = end;
      endInsertRows();
    } else {
      const bool differs = old[oldAt].expanded != next[newAt].expanded ||
                           old[oldAt].flag != next[newAt].flag;
      rows_.push_back(next[newAt]);
      if (differs) emit dataChanged(index(position), index(position), {expandedRole, flagRole});
      ++position;
      ++oldAt;
      ++newAt;
    }
  }
}

int ServerRowsModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

QVariant ServerRowsModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= static_cast<int>(rows_.size())) return {};
  const Row& row = rows_[static_cast<std::size_t>(index.row())];
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

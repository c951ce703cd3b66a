#pragma once
// The picker's list as Qt sees it: one row per country heading and one per server, in the
// picker model's order. A change of search text or protocol is applied as row removals and
// insertions against the rows already shown, so the view keeps every delegate it can and
// 10,000 servers filter without a reset. Collapsing a country is the view's own state.
#include <QAbstractListModel>
#include <QSet>

#include <string_view>
#include <vector>

#include "api/records/ip_bundle.h"
#include "servers/server_catalogue.h"

namespace corvane::ui {

class ServerRowsModel final : public QAbstractListModel {
  Q_OBJECT

 public:
  enum Role {
    kindRole = Qt::UserRole + 1,  // "section" or "server"
    countryNameRole,
    flagRole,         // flag asset name of a heading; empty for none
    ipNameRole,
    serverIndexRole,  // index into the catalogue; -1 for a heading
    expandedRole,
  };

  explicit ServerRowsModel(QObject* parent = nullptr);

  // Shows `sections` of `servers`. When `servers` is another catalogue than last time, the
  // rows are rebuilt; otherwise only the difference is applied.
  void update(std::vector<servers::ServerSection> sections,
              const std::vector<api::IPBundle>& servers);

  Q_INVOKABLE void toggleSection(const QString& countryName);

  int rowCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QHash<int, QByteArray> roleNames() const override;

 private:
  struct Row {
    std::string_view country;
    int server = -1;  // -1: the country's heading
    std::string_view flag;
    bool expanded = true;
  };

  std::vector<Row> build() const;
  void apply(std::vector<Row> next);
  // The list the view knows: while a change is applied, the rows done so far followed by
  // the old rows not reached yet.
  std::size_t liveCount() const { return rows_.size() + (old_.size() - oldAt_); }
  const Row& liveRow(std::size_t at) const {
    return at < rows_.size() ? rows_[at] : old_[oldAt_ + (at - rows_.size())];
  }

  std::vector<servers::ServerSection> sections_;
  const api::IPBundle* catalogue_ = nullptr;
  std::size_t catalogueSize_ = 0;
  QSet<QString> collapsed_;
  std::vector<Row> rows_;
  std::vector<Row> old_;
  std::size_t oldAt_ = 0;
};

}  // namespace corvane::ui

#include "platform/secitem/secret_service/secret_service_backend.h"

#include <libsecret/secret.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <optional>

#include "platform/secitem/file/keychain_lock.h"
#include "platform/secitem/sec_item_table.h"
#include "platform/secitem/secret_service/bounded_call.h"
#include "platform/secitem/secret_service/item_attributes.h"

namespace corvane::platform {
using secretservice::Attributes;
using secretservice::BoundedCalls;
using secretservice::GErrorPtr;
using secretservice::GHashTablePtr;
using secretservice::GObjectPtr;
namespace {

// Every item of ours carries it; libsecret's schema objects would add it too, but they also
// check attribute names with g_warning and no answer, which a bounded call cannot tell from
// a hang. So the attribute is written and matched by hand and no schema object is used.
constexpr const char* kSchemaAttribute = "xdg:schema";
constexpr const char* kContentType = "application/octet-stream";

GHashTablePtr toTable(const Attributes& attributes) {
  GHashTablePtr table(g_hash_table_new_full(g_str_hash, g_str_equal, g_free, g_free));
  for (const auto& [name, value] : attributes) {
    g_hash_table_insert(table.get(), g_strdup(name.c_str()), g_strdup(value.c_str()));
  }
  g_hash_table_insert(table.get(), g_strdup(kSchemaAttribute), g_strdup(secretservice::kSchemaName));
  return table;
}

Attributes fromTable(GHashTable* table) {
  Attributes out;
  GHashTableIter iter;
  gpointer name = nullptr;
  gpointer value = nullptr;
  g_hash_table_iter_init(&iter, table);
  while (g_hash_table_iter_next(&iter, &name, &value)) {
    if (std::strcmp(static_cast<const char*>(name), kSchemaAttribute) == 0) continue;
    out.emplace(static_cast<const char*>(name), static_cast<const char*>(value));
  }
  return out;
}

struct SecretValueUnref {
  void operator()(SecretValue* value) const {
    if (value != nullptr) secret_value_unref(value);
  }
};
using SecretValuePtr = std::unique_ptr<SecretValue, SecretValueUnref>;

SecretValuePtr secretOf(const SecData& bytes) {
  static const char kEmpty[] = "";
  const char* data = bytes.empty() ? kEmpty : reinterpret_cast<const char*>(bytes.data());
  return SecretValuePtr(secret_value_new(data, static_cast<gssize>(bytes.size()), kContentType));
}

}  // namespace

struct SecretServiceBackend::Impl {
  // One item of ours as listed: its attributes decoded, its value not loaded.
  struct Listed {
    SecItem item;
    GObjectPtr<SecretItem> handle;
  };

  static std::vector<SecItem> itemsOf(const std::vector<Listed>& listed) {
    std::vector<SecItem> items;
    items.reserve(listed.size());
    for (const auto& entry : listed) items.push_back(entry.item);
    return items;
  }

  Impl(Log logTo, Options chosen) : log(std::move(logTo)), options(chosen) {}

  // Runs one bounded call and applies `finish` to its result; `error` is set on failure.
  template <typename Finish>
  auto await(const BoundedCalls::Start& start, Finish finish, GErrorPtr& error,
             std::chrono::milliseconds timeout) {
    GError* raw = nullptr;
    using Value = decltype(finish(static_cast<GAsyncResult*>(nullptr), &raw));
    auto result = calls.run(start, timeout);
    if (!result) {
      error.reset(g_error_new_literal(G_IO_ERROR, G_IO_ERROR_CANCELLED, "abandoned"));
      return Value{};
    }
    Value value = finish(result.get(), &raw);
    error.reset(raw);
    return value;
  }
  template <typename Finish>
  auto await(const BoundedCalls::Start& start, Finish finish, GErrorPtr& error) {
    return await(start, finish, error, options.callTimeout);
  }

  // The status of a failed call, logged (the error texts never hold a value).
  SecStatus fail(const char* what, const GError* error) const {
    if (error != nullptr && error->domain == SECRET_ERROR && error->code == SECRET_ERROR_IS_LOCKED) {
      log.warning(std::string("Secret Service: ") + what + ": the collection is locked");
      return secstatus::kInteractionNotAllowed;
    }
    log.error(std::string("Secret Service: ") + what + " failed: " +
              secretservice::describe(error, options.callTimeout));
    const bool unreachable = error == nullptr || error->domain == G_IO_ERROR || error->domain == G_DBUS_ERROR;
    return unreachable ? secstatus::kNotAvailable : secstatus::kIoError;
  }

  // Every item of ours, oldest first, so "the first match" is the same on every call.
  SecStatus list(std::vector<Listed>& out) {
    GErrorPtr error;
    const GHashTablePtr match = toTable({});
    GList* found = await(
        [&](GCancellable* c, GAsyncReadyCallback cb, gpointer data) {
          secret_service_search(service.get(), nullptr, match.get(), SECRET_SEARCH_ALL, c, cb, data);
        },
        [&](GAsyncResult* r, GError** e) { return secret_service_search_finish(service.get(), r, e); },
        error);
    if (error) return fail("listing the items", error.get());
    int foreign = 0;
    std::vector<std::pair<guint64, std::string>> order;
    for (GList* link = found; link != nullptr; link = link->next) {
      GObjectPtr<SecretItem> handle(static_cast<SecretItem*>(link->data));  // the list's reference
      const GHashTablePtr attributes(secret_item_get_attributes(handle.get()));
      auto item = secretservice::decodeAttributes(fromTable(attributes.get()));
      if (!item) {
        ++foreign;
        continue;
      }
      out.push_back({std::move(*item), std::move(handle)});
    }
    g_list_free(found);
    if (foreign > 0) {
      log.warning("Secret Service: ignored " + std::to_string(foreign) +
                  " item(s) of our schema whose attributes do not describe a keychain item");
    }
    auto key = [](const Listed& listed) {
      auto* proxy = reinterpret_cast<GDBusProxy*>(listed.handle.get());
      return std::make_pair(secret_item_get_created(listed.handle.get()),
                            std::string(g_dbus_proxy_get_object_path(proxy)));
    };
    std::stable_sort(out.begin(), out.end(),
                     [&](const Listed& a, const Listed& b) { return key(a) < key(b); });
    return secstatus::kSuccess;
  }

  SecStatus loadValue(SecretItem* item, SecData& value) {
    GErrorPtr error;
    const gboolean loaded = await(
        [&](GCancellable* c, GAsyncReadyCallback cb, gpointer data) {
          secret_item_load_secret(item, c, cb, data);
        },
        [&](GAsyncResult* r, GError** e) { return secret_item_load_secret_finish(item, r, e); },
        error);
    if (!loaded || error) return fail("reading an item's value", error.get());
    const SecretValuePtr secret(secret_item_get_secret(item));
    if (!secret) {
      log.error("Secret Service: an item came back without its value");
      return secstatus::kIoError;
    }
    gsize length = 0;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(secret_value_get(secret.get(), &length));
    value.assign(bytes, bytes + length);
    return secstatus::kSuccess;
  }

  SecStatus create(const SecItem& item) {
    GErrorPtr error;
    const GHashTablePtr attributes = toTable(secretservice::encodeAttributes(item));
    const SecretValuePtr secret = secretOf(item.value);
    const std::string label = secretservice::displayLabel(item);
    GObjectPtr<SecretItem> created(await(
        [&](GCancellable* c, GAsyncReadyCallback cb, gpointer data) {
          secret_item_create(collection.get(), nullptr, attributes.get(), label.c_str(), secret.get(),
                             SECRET_ITEM_CREATE_NONE, c, cb, data);
        },
        [&](GAsyncResult* r, GError** e) { return secret_item_create_finish(r, e); }, error));
    if (!created || error) return fail("storing an item", error.get());
    return secstatus::kSuccess;
  }

  // Writes what changed between `before` and `after` to `handle`; the value only when the
  // request carried one.
  SecStatus rewrite(SecretItem* handle, const SecItem& before, const SecItem& after, bool value) {
    GErrorPtr error;
    const Attributes attributes = secretservice::encodeAttributes(after);
    if (attributes != secretservice::encodeAttributes(before)) {
      const GHashTablePtr table = toTable(attributes);
      const gboolean done = await(
          [&](GCancellable* c, GAsyncReadyCallback cb, gpointer data) {
            secret_item_set_attributes(handle, nullptr, table.get(), c, cb, data);
          },
          [&](GAsyncResult* r, GError** e) { return secret_item_set_attributes_finish(handle, r, e); },
          error);
      if (!done || error) return fail("changing an item's attributes", error.get());
    }
    const std::string label = secretservice::displayLabel(after);
    if (label != secretservice::displayLabel(before)) {
      const gboolean done = await(
          [&](GCancellable* c, GAsyncReadyCallback cb, gpointer data) {
            secret_item_set_label(handle, label.c_str(), c, cb, data);
          },
          [&](GAsyncResult* r, GError** e) { return secret_item_set_label_finish(handle, r, e); },
          error);
      if (!done || error) return fail("changing an item's label", error.get());
    }
    if (value) {
      const SecretValuePtr secret = secretOf(after.value);
      const gboolean done = await(
          [&](GCancellable* c, GAsyncReadyCallback cb, gpointer data) {
            secret_item_set_secret(handle, secret.get(), c, cb, data);
          },
          [&](GAsyncResult* r, GError** e) { return secret_item_set_secret_finish(handle, r, e); },
          error);
      if (!done || error) return fail("changing an item's value", error.get());
    }
    return secstatus::kSuccess;
  }

  SecStatus remove(SecretItem* handle) {
    GErrorPtr error;
    const gboolean done = await(
        [&](GCancellable* c, GAsyncReadyCallback cb, gpointer data) { secret_item_delete(handle, c, cb, data); },
        [&](GAsyncResult* r, GError** e) { return secret_item_delete_finish(handle, r, e); }, error);
    if (!done || error) return fail("removing an item", error.get());
    return secstatus::kSuccess;
  }

  Log log;
  Options options;
  // Declared before the objects made on its context, so it outlives them.
  BoundedCalls calls;
  GObjectPtr<GDBusConnection> bus;
  GObjectPtr<SecretService> service;
  GObjectPtr<SecretCollection> collection;
};

Result<std::unique_ptr<SecretServiceBackend>> SecretServiceBackend::open(Log log, Options options) {
  auto impl = std::make_unique<Impl>(std::move(log), options);
  GErrorPtr error;
  // The session bus connection is shared by everything in this process that uses GDBus,
  // and such a connection ends the process when the bus goes away. A keychain must not.
  impl->bus.reset(impl->await(
      [&](GCancellable* c, GAsyncReadyCallback cb, gpointer data) { g_bus_get(G_BUS_TYPE_SESSION, c, cb, data); },
      [&](GAsyncResult* r, GError** e) { return g_bus_get_finish(r, e); }, error, options.openTimeout));
  if (!impl->bus || error) {
    return Error(kSecItemErrorDomain, secstatus::kNotAvailable,
                 "no session bus: " + secretservice::describe(error.get(), options.openTimeout));
  }
  g_dbus_connection_set_exit_on_close(impl->bus.get(), FALSE);

  // libsecret connects through the same shared connection.
  impl->service.reset(impl->await(
      [&](GCancellable* c, GAsyncReadyCallback cb, gpointer data) {
        secret_service_open(SECRET_TYPE_SERVICE, nullptr, SECRET_SERVICE_OPEN_SESSION, c, cb, data);
      },
      [&](GAsyncResult* r, GError** e) { return secret_service_open_finish(r, e); }, error,
      options.openTimeout));
  if (!impl->service || error) {
    return Error(kSecItemErrorDomain, secstatus::kNotAvailable,
                 "no Secret Service answers on the session bus: " +
                     secretservice::describe(error.get(), options.openTimeout));
  }

  SecretService* service = impl->service.get();
  impl->collection.reset(impl->await(
      [&](GCancellable* c, GAsyncReadyCallback cb, gpointer data) {
        secret_collection_for_alias(service, SECRET_COLLECTION_DEFAULT, SECRET_COLLECTION_NONE, c, cb, data);
      },
      [&](GAsyncResult* r, GError** e) { return secret_collection_for_alias_finish(r, e); }, error,
      options.openTimeout));
  if (error) {
    return Error(kSecItemErrorDomain, secstatus::kNotAvailable,
                 "the Secret Service did not name its default collection: " +
                     secretservice::describe(error.get(), options.openTimeout));
  }
  if (!impl->collection) {
    return Error(kSecItemErrorDomain, secstatus::kNotAvailable,
                 "the Secret Service has no default collection");
  }
  if (secret_collection_get_locked(impl->collection.get())) {
    return Error(kSecItemErrorDomain, secstatus::kInteractionNotAllowed,
                 "the Secret Service's default collection is locked");
  }
  return std::unique_ptr<SecretServiceBackend>(new SecretServiceBackend(std::move(impl)));
}

SecretServiceBackend::SecretServiceBackend(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

// The keychain's lock for one change, then this object's mutex. A lock that cannot be taken
// (an unwritable data folder) is logged and the change goes ahead: the keyring itself works,
// and refusing it would cost more than the rare clash the lock rules out.
class SecretServiceBackend::ChangeLock {
 public:
  explicit ChangeLock(SecretServiceBackend& backend) {
    const auto& file = backend.impl_->options.lockedWith;
    if (!file.empty()) {
      lock_.emplace(file);
      if (!lock_->error().empty()) {
        backend.impl_->log.warning("Secret Service: changing without the keychain lock: " + lock_->error());
      }
    }
    guard_ = std::unique_lock(backend.mutex_);
  }

 private:
  std::optional<KeychainLock> lock_;
  std::unique_lock<std::mutex> guard_;
};

SecretServiceBackend::~SecretServiceBackend() = default;

SecCopyResult SecretServiceBackend::copyMatching(const SecItemDictionary& query) {
  std::lock_guard guard(mutex_);
  // Malformed requests are refused before the bus is asked, as the file store refuses them.
  if (SecItemTable().copyMatching(query).status == secstatus::kParam) return {secstatus::kParam, {}};
  std::vector<Impl::Listed> listed;
  if (const SecStatus status = impl_->list(listed); status != secstatus::kSuccess) return {status, {}};
  SecCopyResult result = SecItemTable(Impl::itemsOf(listed)).copyMatching(query);
  if (result.status != secstatus::kSuccess || !query.returnData) return {result.status, {}};
  const auto first = std::find_if(listed.begin(), listed.end(), [&](const Impl::Listed& entry) {
    return SecItemTable::matches(entry.item, query);
  });
  SecData value;
  if (const SecStatus status = impl_->loadValue(first->handle.get(), value); status != secstatus::kSuccess) {
    return {status, {}};
  }
  return {secstatus::kSuccess, std::move(value)};
}

SecStatus SecretServiceBackend::add(const SecItemDictionary& attributes) {
  const ChangeLock lock(*this);
  SecItemTable made;
  if (const SecStatus status = made.add(attributes); status != secstatus::kSuccess) return status;
  std::vector<Impl::Listed> listed;
  if (const SecStatus status = impl_->list(listed); status != secstatus::kSuccess) return status;
  SecItemTable table(Impl::itemsOf(listed));
  if (const SecStatus status = table.add(attributes); status != secstatus::kSuccess) return status;
  return impl_->create(made.items().front());
}

SecStatus SecretServiceBackend::update(const SecItemDictionary& query, const SecItemDictionary& attributes) {
  const ChangeLock lock(*this);
  if (SecItemTable().update(query, attributes) == secstatus::kParam) return secstatus::kParam;
  std::vector<Impl::Listed> listed;
  if (const SecStatus status = impl_->list(listed); status != secstatus::kSuccess) return status;
  SecItemTable table(Impl::itemsOf(listed));
  if (const SecStatus status = table.update(query, attributes); status != secstatus::kSuccess) return status;
  // The table keeps its items in order, so entry i is item i before and after.
  for (std::size_t i = 0; i < listed.size(); ++i) {
    if (!SecItemTable::matches(listed[i].item, query)) continue;
    const SecStatus status = impl_->rewrite(listed[i].handle.get(), listed[i].item, table.items()[i],
                                            attributes.valueData.has_value());
    if (status != secstatus::kSuccess) return status;
  }
  return secstatus::kSuccess;
}

SecStatus SecretServiceBackend::deleteItems(const SecItemDictionary& query) {
  const ChangeLock lock(*this);
  if (SecItemTable().deleteItems(query) == secstatus::kParam) return secstatus::kParam;
  std::vector<Impl::Listed> listed;
  if (const SecStatus status = impl_->list(listed); status != secstatus::kSuccess) return status;
  bool any = false;
  for (const auto& entry : listed) {
    if (!SecItemTable::matches(entry.item, query)) continue;
    any = true;
    if (const SecStatus status = impl_->remove(entry.handle.get()); status != secstatus::kSuccess) return status;
  }
  return any ? secstatus::kSuccess : secstatus::kItemNotFound;
}

std::optional<SecAccessControl> SecretServiceBackend::createAccessControl(SecAccessible accessible,
                                                                          SecAccessControlFlags flags,
                                                                          std::optional<Error>& error) {
  if (flags != 0) {
    error = Error(kSecItemErrorDomain, secstatus::kUnimplemented,
                  "the Secret Service cannot enforce an authentication policy per item");
    return std::nullopt;
  }
  return SecAccessControl{accessible, 0};
}

SecStatus SecretServiceBackend::read(const SecItem& identity, SecItem& out) {
  std::lock_guard guard(mutex_);
  std::vector<Impl::Listed> listed;
  if (const SecStatus status = impl_->list(listed); status != secstatus::kSuccess) return status;
  for (auto& entry : listed) {
    if (!entry.item.sameIdentity(identity)) continue;
    if (const SecStatus status = impl_->loadValue(entry.handle.get(), entry.item.value);
        status != secstatus::kSuccess) {
      return status;
    }
    out = std::move(entry.item);
    return secstatus::kSuccess;
  }
  return secstatus::kItemNotFound;
}

}  // namespace corvane::platform

#pragma once
// Decoding a whole answer: parse and validate the complete text, require an object at the
// root, then read the root with the record's reader.
#include <simdjson.h>

#include "api/records/decoding/decode_context.h"
#include "api/records/decoding/json_text.h"
#include "api/records/decoding/record_readers.h"
#include "platform/core/result.h"

namespace corvane::api::decoding {

// Parses `json` on this thread's parser. On success `root` stays valid until the next parse
// on the same thread. Fails (dataCorrupted) on invalid JSON or UTF-8, a document larger than
// kMaxDocumentBytes or nested deeper than kMaxDepth, and (typeMismatch) on a root that is not
// an object.
bool parseRootObject(JsonText json, simdjson::dom::object& root, DecodeContext& ctx);

// After a decode: gives back the parser's memory if a large answer grew it.
void trimParser();

template <typename Record>
Result<Record> decodeDocument(JsonText json) {
  DecodeContext ctx;
  simdjson::dom::object root;
  Record record;
  const bool ok = parseRootObject(json, root, ctx) && readRecord(root, record, ctx);
  trimParser();
  if (!ok) return ctx.takeError();
  return record;
}

}  // namespace corvane::api::decoding

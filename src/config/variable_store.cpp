#include "config/variable_store.h"

#include <map>
#include <memory>
#include <string>
#include <utility>

#include "platform/environment.h"

const VariableDefault ProductDefaults[] = {
    {"ZOR_CLEAN_INT", "1"},
    {"ZOR_HOT_POOL_ID", "ZORSDEFN"},
    {"ZOR_LANG", "EU"},
    {"ZOR_NOTIF_INT", "60"},
    {"ZOR_PROTOCOL", "LOC"},
    {"ZOR_RECHECK_INT", "600"},
    {"ZOR_RESEND_INT", "120"},
    {"ZOR_RUNTIME_SERVER", "ZORDB,ZORSRV,LOCAL,LOC"},
    {"ZOR_SERVER_NAME", "ZORSRV"},
    {"ZOR_DB_NAME", "ZORDB"},
    {"ZOR_APIINIT_WAIT", "60"},
    {"ZOR_MMAP_SIZE", "4194304"},
};

namespace {

struct VariableEntry {
  Str value;
  VariableOrigin origin;
};

// Names order byte by byte as unsigned characters, which is how
// std::string compares.
using VariableStore = std::map<std::string, VariableEntry>;

std::unique_ptr<VariableStore> theStore;

/// The non-empty environment value of `name`; empty when unset or empty.
Str environmentValue(const Str& name) {
  std::string value;
  if (!platform::environmentVariable(name.str(), value)) return Str();
  return Str(value);
}

}  // namespace

void loadProductDefaults() {
  if (theStore) return;
  theStore = std::make_unique<VariableStore>();
  for (const VariableDefault& entry : ProductDefaults)
    insertVariable(entry.name, entry.value, false);
}

void insertVariable(const Str& name, Str value, bool fromProfile) {
  if (!theStore) theStore = std::make_unique<VariableStore>();
  VariableEntry entry{std::move(value), VariableOrigin::Profile};
  if (!fromProfile) {
    Str fromEnvironment = environmentValue(name);
    if (!fromEnvironment.empty()) {
      entry = {fromEnvironment, VariableOrigin::Environment};
    } else {
      entry.origin = VariableOrigin::ProductDefault;
    }
  }
  (*theStore)[name.str()] = std::move(entry);
}

Str lookupVariable(const Str& name, LookupMode mode, VariableOrigin* origin) {
  Str scratch;
  return lookupVariableInPlace(name, mode, origin, scratch);
}

const Str& lookupVariableInPlace(const Str& name, LookupMode mode, VariableOrigin* origin,
                                 Str& scratch) {
  loadProductDefaults();
  VariableOrigin found = VariableOrigin::NotSet;
  if (mode == LookupMode::All) {
    auto it = theStore->find(name.str());
    if (it != theStore->end()) {
      found = it->second.origin;
      if (!it->second.value.empty()) {
        if (origin) *origin = found;
        return it->second.value;
      }
    }
  }
  scratch = environmentValue(name);
  if (!scratch.empty()) found = VariableOrigin::Environment;
  if (origin) *origin = found;
  return scratch;
}

bool lookupNumber(const Str& name, std::int32_t& number) {
  Str value = lookupVariable(name, LookupMode::All);
  number = convertLikeAtol(value);
  bool allZeros = !value.empty();
  for (std::size_t i = 1; allZeros && i <= value.length(); ++i) allZeros = value.at(i) == '0';
  return number != 0 || allZeros;
}

void releaseVariableStore() {
  theStore.reset();
}

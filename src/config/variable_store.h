// The variable store: one table of the product's configuration variables,
// merged from the profile and the product defaults, that answers every
// lookup of the checker together with where the value came from.
#pragma once

#include <cstdint>

#include "driver/str.h"

enum class VariableOrigin : std::int32_t {
  NotSet = 0,
  ProductDefault = 1,
  Environment = 2,
  Profile = 3,
};

enum class LookupMode : std::int32_t {
  All = 0,              // the store first, then the environment
  EnvironmentOnly = 1,  // the environment alone
};

struct VariableDefault {
  const char* name;
  const char* value;
};

/// The product defaults, loaded in this order.
extern const VariableDefault ProductDefaults[];

/// The value of `name` and its origin. With All a stored non-empty value
/// wins; a stored empty value falls through to the environment and, when
/// that is empty too, yields an empty value with the stored origin. Empty
/// with NotSet when no source sets the name. Loads the defaults first.
Str lookupVariable(const Str& name, LookupMode mode, VariableOrigin* origin = nullptr);

/// The same without a copy of a stored value: the value in the store itself
/// (valid until the store next changes), or `scratch` holding the value
/// found in the environment or nothing.
const Str& lookupVariableInPlace(const Str& name, LookupMode mode, VariableOrigin* origin,
                                 Str& scratch);

/// Looks `name` up with All and converts it like atol into `number` (always
/// stored). True when the number is not 0 or the value consists of "0"
/// characters only.
bool lookupNumber(const Str& name, std::int32_t& number);

/// Stores a variable. From the profile, the value is taken as given with
/// origin Profile; otherwise a non-empty environment value wins (origin
/// Environment) over the given one (origin ProductDefault). An entry of the
/// same name is replaced.
void insertVariable(const Str& name, Str value, bool fromProfile);

/// Creates the store with the product defaults; does nothing the second time.
void loadProductDefaults();

/// Frees the store; a later lookup would load the defaults again.
void releaseVariableStore();

#include "resources/registration_tables.h"

#include <cstring>

namespace tessel::resources {

bool hasFactory(const RegistrationTables& tables, const char* name) {
  if (!name) return false;
  for (const CommandEntry& c : tables.commands)
    if (c.factory && std::strcmp(c.name, name) == 0) return true;
  for (const ToolEntry& t : tables.tools)
    if (t.factory && std::strcmp(t.name, name) == 0) return true;
  return false;
}

}  // namespace tessel::resources

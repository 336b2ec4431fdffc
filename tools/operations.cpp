#include "tools/operation.h"

namespace tesselane::tool {

std::vector<const Operation*> allOperations() {
    std::vector<const Operation*> all;
    for (const auto* list :
         {&coreOperations(), &toneOperations(), &filterOperations(), &geometryOperations()}) {
        for (const Operation& operation : *list) all.push_back(&operation);
    }
    return all;
}

}  // namespace tesselane::tool

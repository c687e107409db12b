// Where the library store lives and how it is opened.
#pragma once

#include <QUrl>

#include <memory>

namespace vorla {

class ModelContext;

namespace Persistence {

// The store file: VORLA_STORE when set and not empty, else Vorla/Vorla.store in the user's
// data folder (whose "Vorla" folder is created when missing). Computed on every call.
QUrl storeURL();
// Opens or creates the store at storeURL() with every record loaded; throws StoreError.
std::unique_ptr<ModelContext> makeContainer();

} // namespace Persistence

} // namespace vorla

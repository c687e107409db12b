// Keeps the UI library non-empty while its layers are still small.
namespace vorla {
void uiAnchor() { }
} // namespace vorla

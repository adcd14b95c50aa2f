// kestrix_core gathers the subsystem libraries; it has no code of its own.
namespace kestrix {
int coreLibraryAnchor() {
  return 0;
}
}  // namespace kestrix

// Gives the resource library a translation unit of its own; the resources
// themselves are registered by the object library Qt generates.
namespace hx {
int resourcesAnchor() { return 0; }
}  // namespace hx

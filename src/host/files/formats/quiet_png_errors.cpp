// libpng prints "libpng error: ..." on stderr before our own message about
// a broken PNG file. OpenImageIO's PNG reader sets an error handler that
// keeps the message and then returns to libpng, which takes that as "not
// handled" and calls its default handler: the one that prints, then jumps
// back into the reader. There is no setting for it.
//
// This program therefore defines png_set_error_fn itself. The dynamic
// linker binds OpenImageIO's calls to it (a program's own definitions come
// first), and it hands libpng's real png_set_error_fn a handler that calls
// the given one and then makes the jump itself, so the default handler is
// never reached. Warnings without a handler of their own are dropped. The
// linker keeps this file through the --undefined option in CMakeLists.txt.
#include <dlfcn.h>
#include <png.h>

#include <array>
#include <atomic>
#include <mutex>
#include <utility>

namespace {

using SetErrorFunction = void (*)(png_structp, png_voidp, png_error_ptr, png_error_ptr);

SetErrorFunction librarysSetErrorFunction() {
    static const auto real = reinterpret_cast<SetErrorFunction>(::dlsym(RTLD_NEXT, "png_set_error_fn"));
    return real;
}

// The handlers given, each behind a handler of ours that never returns.
// OpenImageIO has one for reading and one for writing; a few slots spare.
constexpr std::size_t kSlots = 8;
std::array<std::atomic<png_error_ptr>, kSlots> given{};
std::mutex slotsLock;

template <std::size_t Slot>
void handleThenJump(png_structp png, png_const_charp message) {
    given[Slot].load()(png, message);
    png_longjmp(png, 1);
}

template <std::size_t... Slot>
constexpr std::array<png_error_ptr, kSlots> makeWrappers(std::index_sequence<Slot...>) {
    return {&handleThenJump<Slot>...};
}
constexpr std::array<png_error_ptr, kSlots> wrappers = makeWrappers(std::make_index_sequence<kSlots>());

// Our handler for `handler`; itself when every slot is taken.
png_error_ptr wrapped(png_error_ptr handler) {
    std::lock_guard guard(slotsLock);
    for (std::size_t i = 0; i < kSlots; ++i) {
        if (given[i].load() == handler) return wrappers[i];
        if (given[i].load() == nullptr) {
            given[i].store(handler);
            return wrappers[i];
        }
    }
    return handler;
}

void ignoreWarning(png_structp, png_const_charp) {}

}  // namespace

extern "C" void png_set_error_fn(png_structp png, png_voidp errorData, png_error_ptr onError, png_error_ptr onWarning) {
    const SetErrorFunction real = librarysSetErrorFunction();
    if (real == nullptr) return;
    real(png, errorData, onError ? wrapped(onError) : nullptr, onWarning ? onWarning : &ignoreWarning);
}

#include "filter/handler.h"

#include "filter/instance.h"
#include "filter/process.h"
#include "filter/settings.h"

GlobalFunc global_func = nullptr;

namespace {

// The host speaks of instances as opaque references; inside they are ours.
FilterInstance *own(InstanceRef ref) { return static_cast<FilterInstance *>(ref); }

InstanceRef create(void *hostData) { return TaviCreate(hostData); }
void destroy(InstanceRef inst) { TaviDestroy(own(inst)); }
int copy(InstanceRef from, InstanceRef to) { return TaviCopy(own(from), own(to)); }
int load(InstanceRef inst, const SettingsReader *reader) { return TaviLoad(own(inst), reader); }
int save(InstanceRef inst, const SettingsWriter *writer) { return TaviSave(own(inst), writer); }
void process(InstanceRef inst, const FrameAccess *frame) { TaviProcess(own(inst), frame); }
unsigned int flags(InstanceRef inst) { return TaviFlags(own(inst)); }
const char *describe(InstanceRef inst) { return TaviDescribe(own(inst)); }
const void *useItems(InstanceRef inst) { return TaviUseItems(own(inst)); }
void changeID(InstanceRef inst, const void *ids) { TaviChangeID(own(inst), ids); }

}  // namespace

int TaviHandler(int version, GlobalFunc global, void *local, void * /*serverData*/) {
    if (version != 1) return 1;
    auto *callbacks = static_cast<FilterCallbacks *>(local);
    callbacks->create = create;
    callbacks->destroy = destroy;
    callbacks->copy = copy;
    callbacks->load = load;
    callbacks->save = save;
    callbacks->process = process;
    callbacks->flags = flags;
    callbacks->describe = describe;
    callbacks->useItems = useItems;
    callbacks->changeID = changeID;
    global_func = global;
    return 0;
}

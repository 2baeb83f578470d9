/*
 * The host's records, as the module sees them.
 *
 * Plain C so that any host (ours, or one written in C) can fill them.
 * Every member that can carry a function or an instance is a pointer, so
 * the records are the same on 32-bit and 64-bit builds in meaning, if not
 * in size. Counts and lengths are int, 32 bits on every build; nothing is
 * a long, which is 32 bits on 64-bit Windows (LLP64) but 64 on 64-bit
 * Linux (LP64) and so could never hold a pointer on both.
 * host_records_layout.h checks every member's place for all three data
 * models; a change here must be made there too.
 */
#ifndef TAVI56_HOST_HOST_RECORDS_H
#define TAVI56_HOST_HOST_RECORDS_H

#ifdef __cplusplus
extern "C" {
#endif

/* An instance as the host holds it: opaque. */
typedef void *InstanceRef;

/* ---- Frames --------------------------------------------------------- */

enum {
    CHANNEL_RED = 32,
    CHANNEL_GREEN = 33,
    CHANNEL_BLUE = 34,
    CHANNEL_ALPHA = 35
};

/*
 * One frame handed to the filter. Valid only during the process call.
 * getRow returns `width` bytes of one channel; the rows stay unchanged
 * while the put operations fill the separate output.
 */
typedef struct FrameAccess {
    int width;
    int height;
    const unsigned char *(*getRow)(int channel, int row);
    void (*putRGB)(int x, int y, const unsigned char *rgb);
    void (*putAlpha)(int x, int y, int alpha);
} FrameAccess;

/* ---- Settings line -------------------------------------------------- */

typedef struct SettingsReader {
    void *context;
    /* Fills `buffer` with the stored block, writing at most `maximum` bytes. */
    int (*read)(void *context, char *buffer, int maximum);
} SettingsReader;

typedef struct SettingsWriter {
    void *context;
    /* Stores `length` bytes of `buffer`. */
    int (*write)(void *context, const char *buffer, int length);
} SettingsWriter;

/* ---- Instance callbacks -------------------------------------------- */

typedef struct FilterCallbacks {
    InstanceRef (*create)(void *hostData);
    void (*destroy)(InstanceRef instance);
    int (*copy)(InstanceRef from, InstanceRef to);
    int (*load)(InstanceRef instance, const SettingsReader *reader);
    int (*save)(InstanceRef instance, const SettingsWriter *writer);
    void (*process)(InstanceRef instance, const FrameAccess *frame);
    unsigned int (*flags)(InstanceRef instance);
    const char *(*describe)(InstanceRef instance);
    const void *(*useItems)(InstanceRef instance);
    void (*changeID)(InstanceRef instance, const void *ids);
} FilterCallbacks;

/* ---- Module loading ------------------------------------------------- */

/* The host's global lookup: a service record by name, or null. */
typedef void *(*GlobalFunc)(const char *serviceName, int useMode);

/* A server's activation: interface version, global lookup, the record the
 * server works on (a FilterCallbacks table, or an instance), server data. */
typedef int (*ActivateFunc)(int version, GlobalFunc global, void *local, void *serverData);

typedef struct ServerRecord {
    const char *className;
    const char *name;
    ActivateFunc activate;
} ServerRecord;

enum {
    MODULE_SYNC = 0x04121994,
    MODULE_DESCRIPTOR_VERSION = 2,
    MODULE_MACHINE = 0x300
};

typedef struct ModuleDescriptor {
    unsigned int sync;
    unsigned int version;
    unsigned int machine;
    void *(*startup)(void);
    void (*shutdown)(void *startupValue);
    const ServerRecord *servers;
} ModuleDescriptor;

/* ---- Panels --------------------------------------------------------- */

typedef void *PanelRef;
typedef void *ControlRef;

typedef void (*ControlEventFunc)(ControlRef control, void *data);
typedef void (*PanelDrawFunc)(PanelRef panel, void *data);

enum {
    VALUE_INT = 2,
    VALUE_IVEC = 5
};

/* Kind 2: one integer, or in its place the callback or the data pointer
 * that attributes 14 and 16 carry. */
typedef struct IntValue {
    int type;
    union {
        int intv;
        void *ptr;
        ControlEventFunc func;
    } v;
} IntValue;

/* Kind 5: three integers. */
typedef struct IVecValue {
    int type;
    int val[3];
} IVecValue;

enum {
    DESC_BOOL = 8,
    DESC_CHOICE = 9,
    DESC_RANGE = 15,
    DESC_AREA = 19
};

/* What addPanelControl needs to know of a new control. */
typedef struct ControlDesc {
    int type;
    union {
        struct {
            const char **items;
            int width;
        } choice;
        struct {
            int width, min, max;
        } range;
        struct {
            int width, height;
        } area;
    } u;
} ControlDesc;

enum {
    PANEL_WIDTH = 2,
    PANEL_HEIGHT = 3,
    PANEL_DRAW_FUNC = 7,
    PANEL_DRAW_DATA = 12
};

enum {
    CONTROL_X = 0,
    CONTROL_Y = 1,
    CONTROL_VALUE = 4,
    CONTROL_AREA_X = 5,
    CONTROL_AREA_Y = 6,
    CONTROL_EVENT_FUNC = 14,
    CONTROL_EVENT_DATA = 16
};

enum {
    RENDER_HIDDEN = 0,
    RENDER_NORMAL = 1,
    RENDER_DISABLED = 2
};

typedef struct PanelDrawing {
    void (*plotRGB)(PanelRef panel, int red, int green, int blue, int x, int y);
    void (*plotBorder)(PanelRef panel, int indent, int x, int y, int width, int height);
} PanelDrawing;

typedef struct PanelServices {
    PanelRef (*makePanel)(const char *title, struct PanelServices *services);
    ControlRef (*addPanelControl)(PanelRef panel, const char *kind, ControlDesc *desc, const char *label);
    /* Attributes 2 and 3 pass an int*; 7 a PanelDrawFunc; 12 the data. */
    void (*setPanelAttr)(PanelRef panel, int attribute, void *value);
    int (*runPanel)(PanelRef panel, int flags);
    void (*dropPanel)(PanelRef panel);
    /* `value` is an IntValue, or an IVecValue where the control has three. */
    void (*getControlAttr)(ControlRef control, int attribute, void *value);
    void (*setControlAttr)(ControlRef control, int attribute, void *value);
    void (*renderControl)(ControlRef control, int mode);
    const PanelDrawing *drawFuncs;
    void *hostData;
} PanelServices;

#ifdef __cplusplus
}
#endif

#endif

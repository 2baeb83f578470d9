/*
 * Where every member of the host records lies, for each data model the
 * module is built for, checked at compile time:
 *
 *   ILP32  int, long and pointers 32 bits    (32-bit Windows, i686)
 *   LP64   long and pointers 64 bits         (64-bit Linux, x86_64)
 *   LLP64  pointers 64 bits, long 32 bits    (64-bit Windows, x86_64)
 *
 * A host written in C and the module must agree on these numbers, so they
 * are written out here rather than worked out from sizeof: a member that
 * moves, grows or changes type breaks the build of the model it moves in.
 * A pointer or a size held in a long keeps its place on LP64 and ILP32 and
 * only moves on LLP64, which is why all three are checked.
 *
 * Included by host_records_layout.c (the records as a C host compiles
 * them) and host_records_layout.cpp (as the module does).
 */
#ifndef TAVI56_HOST_HOST_RECORDS_LAYOUT_H
#define TAVI56_HOST_HOST_RECORDS_LAYOUT_H

#include <limits.h>
#include <stddef.h>
#include <stdint.h>

#include "host/host_records.h"

/* The data model, from the widths of a pointer and of a long. */
#if UINTPTR_MAX == 0xFFFFFFFFu && LONG_MAX == 0x7FFFFFFFL
#define TAVI_LAYOUT_PICK(ilp32, lp64, llp64) (ilp32)
#define TAVI_DATA_MODEL "ILP32"
#elif UINTPTR_MAX == 0xFFFFFFFFFFFFFFFFu && LONG_MAX == 0x7FFFFFFFFFFFFFFFL
#define TAVI_LAYOUT_PICK(ilp32, lp64, llp64) (lp64)
#define TAVI_DATA_MODEL "LP64"
#elif UINTPTR_MAX == 0xFFFFFFFFFFFFFFFFu && LONG_MAX == 0x7FFFFFFFL
#define TAVI_LAYOUT_PICK(ilp32, lp64, llp64) (llp64)
#define TAVI_DATA_MODEL "LLP64"
#else
#error "host records: a data model other than ILP32, LP64 and LLP64; add its column to host_records_layout.h"
#endif

#ifdef __cplusplus
#define TAVI_LAYOUT_ASSERT(condition, message) static_assert(condition, message)
#else
#define TAVI_LAYOUT_ASSERT(condition, message) _Static_assert(condition, message)
#endif

/* The value `actual` must have in each model: ILP32, LP64, LLP64. */
#define TAVI_LAYOUT(actual, ilp32, lp64, llp64)                          \
    TAVI_LAYOUT_ASSERT((actual) == TAVI_LAYOUT_PICK(ilp32, lp64, llp64), \
                       "host records (" TAVI_DATA_MODEL "): " #actual " differs from the recorded layout")
#define TAVI_SIZE(record, ilp32, lp64, llp64) TAVI_LAYOUT(sizeof(record), ilp32, lp64, llp64)
/* A member's offset, and its size: that of an int, of a pointer (data or
 * function), or of `count` ints. The size matters for the last member,
 * which could grow into the record's tail padding without moving a thing. */
#define TAVI_MEMBER_SIZE(record, member) sizeof(((record *)0)->member)
#define TAVI_INT(record, member, ilp32, lp64, llp64)           \
    TAVI_LAYOUT(offsetof(record, member), ilp32, lp64, llp64); \
    TAVI_LAYOUT(TAVI_MEMBER_SIZE(record, member), 4, 4, 4)
#define TAVI_INTS(record, member, count, ilp32, lp64, llp64)   \
    TAVI_LAYOUT(offsetof(record, member), ilp32, lp64, llp64); \
    TAVI_LAYOUT(TAVI_MEMBER_SIZE(record, member), 4 * (count), 4 * (count), 4 * (count))
#define TAVI_POINTER(record, member, ilp32, lp64, llp64)       \
    TAVI_LAYOUT(offsetof(record, member), ilp32, lp64, llp64); \
    TAVI_LAYOUT(TAVI_MEMBER_SIZE(record, member), 4, 8, 8)

/* The model itself, so a compiler that picked the wrong column is caught. */
TAVI_LAYOUT(sizeof(int), 4, 4, 4);
TAVI_LAYOUT(sizeof(long), 4, 8, 4);
TAVI_LAYOUT(sizeof(void *), 4, 8, 8);
TAVI_LAYOUT(sizeof(void (*)(void)), 4, 8, 8);
TAVI_LAYOUT(sizeof(InstanceRef), 4, 8, 8);
TAVI_LAYOUT(sizeof(GlobalFunc), 4, 8, 8);
TAVI_LAYOUT(sizeof(ActivateFunc), 4, 8, 8);

TAVI_INT(FrameAccess, width, 0, 0, 0);
TAVI_INT(FrameAccess, height, 4, 4, 4);
TAVI_POINTER(FrameAccess, getRow, 8, 8, 8);
TAVI_POINTER(FrameAccess, putRGB, 12, 16, 16);
TAVI_POINTER(FrameAccess, putAlpha, 16, 24, 24);
TAVI_SIZE(FrameAccess, 20, 32, 32);

TAVI_POINTER(SettingsReader, context, 0, 0, 0);
TAVI_POINTER(SettingsReader, read, 4, 8, 8);
TAVI_SIZE(SettingsReader, 8, 16, 16);

TAVI_POINTER(SettingsWriter, context, 0, 0, 0);
TAVI_POINTER(SettingsWriter, write, 4, 8, 8);
TAVI_SIZE(SettingsWriter, 8, 16, 16);

TAVI_POINTER(FilterCallbacks, create, 0, 0, 0);
TAVI_POINTER(FilterCallbacks, destroy, 4, 8, 8);
TAVI_POINTER(FilterCallbacks, copy, 8, 16, 16);
TAVI_POINTER(FilterCallbacks, load, 12, 24, 24);
TAVI_POINTER(FilterCallbacks, save, 16, 32, 32);
TAVI_POINTER(FilterCallbacks, process, 20, 40, 40);
TAVI_POINTER(FilterCallbacks, flags, 24, 48, 48);
TAVI_POINTER(FilterCallbacks, describe, 28, 56, 56);
TAVI_POINTER(FilterCallbacks, useItems, 32, 64, 64);
TAVI_POINTER(FilterCallbacks, changeID, 36, 72, 72);
TAVI_SIZE(FilterCallbacks, 40, 80, 80);

TAVI_POINTER(ServerRecord, className, 0, 0, 0);
TAVI_POINTER(ServerRecord, name, 4, 8, 8);
TAVI_POINTER(ServerRecord, activate, 8, 16, 16);
TAVI_SIZE(ServerRecord, 12, 24, 24);

TAVI_INT(ModuleDescriptor, sync, 0, 0, 0);
TAVI_INT(ModuleDescriptor, version, 4, 4, 4);
TAVI_INT(ModuleDescriptor, machine, 8, 8, 8);
TAVI_POINTER(ModuleDescriptor, startup, 12, 16, 16);
TAVI_POINTER(ModuleDescriptor, shutdown, 16, 24, 24);
TAVI_POINTER(ModuleDescriptor, servers, 20, 32, 32);
TAVI_SIZE(ModuleDescriptor, 24, 40, 40);

TAVI_INT(IntValue, type, 0, 0, 0);
TAVI_INT(IntValue, v.intv, 4, 8, 8);
TAVI_POINTER(IntValue, v.ptr, 4, 8, 8);
TAVI_POINTER(IntValue, v.func, 4, 8, 8);
TAVI_SIZE(IntValue, 8, 16, 16);

TAVI_INT(IVecValue, type, 0, 0, 0);
TAVI_INTS(IVecValue, val, 3, 4, 4, 4);
TAVI_SIZE(IVecValue, 16, 16, 16);

TAVI_INT(ControlDesc, type, 0, 0, 0);
TAVI_POINTER(ControlDesc, u.choice.items, 4, 8, 8);
TAVI_INT(ControlDesc, u.choice.width, 8, 16, 16);
TAVI_INT(ControlDesc, u.range.width, 4, 8, 8);
TAVI_INT(ControlDesc, u.range.min, 8, 12, 12);
TAVI_INT(ControlDesc, u.range.max, 12, 16, 16);
TAVI_INT(ControlDesc, u.area.width, 4, 8, 8);
TAVI_INT(ControlDesc, u.area.height, 8, 12, 12);
TAVI_SIZE(ControlDesc, 16, 24, 24);

TAVI_POINTER(PanelDrawing, plotRGB, 0, 0, 0);
TAVI_POINTER(PanelDrawing, plotBorder, 4, 8, 8);
TAVI_SIZE(PanelDrawing, 8, 16, 16);

TAVI_POINTER(PanelServices, makePanel, 0, 0, 0);
TAVI_POINTER(PanelServices, addPanelControl, 4, 8, 8);
TAVI_POINTER(PanelServices, setPanelAttr, 8, 16, 16);
TAVI_POINTER(PanelServices, runPanel, 12, 24, 24);
TAVI_POINTER(PanelServices, dropPanel, 16, 32, 32);
TAVI_POINTER(PanelServices, getControlAttr, 20, 40, 40);
TAVI_POINTER(PanelServices, setControlAttr, 24, 48, 48);
TAVI_POINTER(PanelServices, renderControl, 28, 56, 56);
TAVI_POINTER(PanelServices, drawFuncs, 32, 64, 64);
TAVI_POINTER(PanelServices, hostData, 36, 72, 72);
TAVI_SIZE(PanelServices, 40, 80, 80);

#endif

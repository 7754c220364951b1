// Result codes shared by the core, the trace system, the resource helpers, the custom
// controls and the main window's commands. 0 is success, positive a success with a
// remark, negative a failure. They sit with the trace system, the lowest layer that
// returns them, so no lower layer reaches up into the core.
#ifndef GLYPHARA_TRACE_RESULTCODES_H
#define GLYPHARA_TRACE_RESULTCODES_H

enum ResultCode
{
    RC_NONSTANDARD_TAG = 3,
    RC_OK = 0,
    RC_CANCELLED = -14974,
    RC_INCOMPATIBLE_VERSION = -14975,
    RC_USER_DEFINED_EFFECT = -14976,
    RC_NOT_FOUND = -14977,
    RC_TAG_EXISTS = -14978,
    RC_NONE_EFFECT = -14979,
    RC_WRITE_FAILED = -14980,
    RC_DELETE_FAILED = -14981,
    RC_LOAD_FAILED = -14982,
    RC_CANNOT_OPEN_DIRECTORY = -14983,
    RC_DIRECTORY_MISSING = -14985,
    RC_ALREADY_EXISTS = -14987,
    RC_SYSTEM_ITEM = -14988,
    RC_FILE_NOT_FOUND = -14990,
    RC_FILE_EXISTS = -14992,
    RC_BAD_FORMAT = -14995,
    RC_INVALID_TAG_NAME = -14996,
    RC_INVALID_ARGUMENT = -14997,
    RC_NOT_INITIALIZED = -14998,
    RC_FAILED = -14999
};

// Results of loading a project that are successes with a remark.
constexpr int RC_LOADED_WITH_WARNINGS = 1;
constexpr int RC_LOADED_WITH_ERRORS = 2;

#endif

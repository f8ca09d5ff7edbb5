#pragma once

#include "korbase/files.h"

#include <wx/string.h>

#include <utility>
#include <vector>

// The vocabulary between the copy-and-verify workers and IVTDialog: every event is a
// wxEVT_TEXT command event whose id selects the dialog's handler and whose int and
// string carry the payload.
enum IvtEventId : int
{
    // Result list and texts
    IVT_EVT_INSERT_ITEM = 100014,              // int row, string column 0
    IVT_EVT_SET_COL0_TEXT = 100068,            // int row, string
    IVT_EVT_SET_COL1_FILE_DST = 100015,        // int row, string (list not empty)
    IVT_EVT_SET_COL2_HASH_SOURCE = 100016,     // int row, string (list not empty); scrolls
    IVT_EVT_SET_COL3_COPY_STATUS = 100017,     // int row, string (list not empty)
    IVT_EVT_SET_COL4_HASH_DESTINATION = 100018, // int row, string (list not empty); scrolls
    IVT_EVT_SET_COL5_HASH_COMPARISON = 100019, // int row, string (list not empty)
    IVT_EVT_SET_ITEM_RED = 100020,             // int row
    IVT_EVT_DELETE_ALL_ITEMS = 100023,         // int 100
    IVT_EVT_SCROLL_LIST = 100072,              // int 1
    IVT_EVT_SET_TC1 = 100021,                  // string: source path field
    IVT_EVT_SET_TC2 = 100022,                  // string: destination path field
    IVT_EVT_SET_DISPLAYED_PATH = 100058,       // int selection of the Displayed Path choice
    IVT_EVT_PROGRESS = 100067,                 // string text, int percent
    IVT_EVT_PROGRESS_DUPLICATES = 100071,      // string percent text, int 100 at the end

    // Dialog fields
    IVT_EVT_SRC_DIR = 100046,
    IVT_EVT_TMP_SRC_DIR = 100047,
    IVT_EVT_DST_DIR = 100063,
    IVT_EVT_APPEND_PATH_DESTINATION = 100056,
    IVT_EVT_APPEND_TMP_SRC_NAME = 100059,
    IVT_EVT_APPEND_TMP_DST_NAME = 100060,
    IVT_EVT_COPY_STATUS = 100052,     // flag code
    IVT_EVT_COPY_HAPPENED = 100053,   // flag code
    IVT_EVT_HASH_SRC_HAPPENED = 100054, // flag code
    IVT_EVT_HASH_DST_HAPPENED = 100055, // flag code
    IVT_EVT_FULL_PATH = 100057,       // flag code
    IVT_EVT_LIST_SOURCE = 100061,     // listing code
    IVT_EVT_LIST_DESTINATION = 100062, // listing code

    // Calls back into the dialog
    IVT_EVT_CLEAN = 100051,       // int 1
    IVT_EVT_MESSAGE_BOX = 444022, // int message code

    // End of a worker
    IVT_EVT_COPY_COMPARE_END = 100073,
    IVT_EVT_NO_DUPLICATES_END = 100074,
    IVT_EVT_COPY_END = 100075,
    IVT_EVT_HASH_HELPER_END = 100076,
    IVT_EVT_HASH_SOURCE_END = 100079,
    IVT_EVT_HASH_DESTINATION_END = 100080,
    IVT_EVT_COMPARE_END = 100081,
    IVT_EVT_REFRESH_VIEW_END = 100082,
};

// Payload of the flag events.
enum IvtFlagCode : int
{
    IVT_FLAG_TRUE = 10,
    IVT_FLAG_FALSE = 20,
};

// Payload of IVT_EVT_LIST_SOURCE and IVT_EVT_LIST_DESTINATION.
enum IvtListingCode : int
{
    IVT_LIST_TOP_LEVEL = 50,
    IVT_LIST_RECURSIVE = 51,
    IVT_LIST_EMPTY = 52,
};

// A listing worker's own listing, handed to the handler of its IVT_EVT_LIST_SOURCE
// or IVT_EVT_LIST_DESTINATION event as the event's client data. The event is sent
// immediately, so the handler may take the files while the worker waits, instead of
// listing the same folder a second time. Without it the handler lists the folder.
struct IvtFolderListing
{
    IvtFolderListing(wxString listedFolder, bool listedRecursively, std::vector<wxString> listedFiles,
                     std::vector<ListingProblem> listedProblems = {})
        : folder(std::move(listedFolder)),
          recursive(listedRecursively),
          files(std::move(listedFiles)),
          problems(std::move(listedProblems))
    {
    }

    wxString folder;
    bool recursive = false;
    std::vector<wxString> files;
    std::vector<ListingProblem> problems; // entries not among the files, and why
};

// Payload of IVT_EVT_MESSAGE_BOX.
enum IvtMessageCode : int
{
    IVT_MSG_EMPTY_DESTINATION_DIR = 13,
    IVT_MSG_CHOOSE_DESTINATION_FILE = 103,
    IVT_MSG_DESTINATION_NOT_EMPTY = 155,
    IVT_MSG_FULL_VIEW_FIRST = 987,
    IVT_MSG_COMPARE_EMPTY_SOURCE = 10009,
    IVT_MSG_COMPARE_EMPTY_DESTINATION = 11111,
    IVT_MSG_COPY_NOT_FOR_COMPARE = 13105,
    IVT_MSG_COPY_EMPTY_SOURCE = 13106,
    IVT_MSG_VIEW_ALREADY_SET = 13107,
    IVT_MSG_SOURCE_FOLDER_EMPTY = 90909,
};

// Operation choice (m_combo1) and Target choice (m_combo4) selections.
enum IvtOperation : int
{
    IVT_OP_HASH_SOURCE = 0,
    IVT_OP_HASH_DESTINATION = 1,
    IVT_OP_COMPARE = 2,
    IVT_OP_COPY = 3,
    IVT_OP_COPY_AND_COMPARE = 4,
};

// Operations 3 and 4 copy into a destination folder; the others read a destination.
inline bool IvtIsCopyOperation(int operation)
{
    return operation == IVT_OP_COPY || operation == IVT_OP_COPY_AND_COMPARE;
}

enum IvtTarget : int
{
    IVT_TARGET_SUBFOLDERS = 0,
    IVT_TARGET_FOLDER_ONLY = 1,
    IVT_TARGET_SINGLE_FILE = 2,
};

// Payload of the copy workers' end events.
enum IvtCopyEndCode : int
{
    IVT_COPY_COMPARE_END_DONE = 3, // IVT_EVT_COPY_COMPARE_END: the worker is done
    IVT_COPY_END_SINGLE_FILE = 5,  // IVT_EVT_COPY_END: a single file was copied
};

// Displayed Path choice (m_combo2) selections.
enum IvtView : int
{
    IVT_VIEW_FULL = 0,
    IVT_VIEW_RELATIVE = 1,
};

// The other fixed payloads of ends, requests and "done" events.
enum IvtEventCode : int
{
    IVT_CLEAN_REQUEST = 1,           // IVT_EVT_CLEAN
    IVT_SCROLL_TO_TOP = 1,           // IVT_EVT_SCROLL_LIST
    IVT_NO_DUPLICATES_END_DONE = 4,  // IVT_EVT_NO_DUPLICATES_END
    IVT_HASH_HELPER_END_SOURCE = 7,  // IVT_EVT_HASH_HELPER_END: hash the source next
    IVT_HASH_HELPER_END_DESTINATION = 8, // IVT_EVT_HASH_HELPER_END: hash the destination next
    IVT_DELETE_ALL = 100,            // IVT_EVT_DELETE_ALL_ITEMS
    IVT_PROGRESS_DONE = 100,         // IVT_EVT_PROGRESS and IVT_EVT_PROGRESS_DUPLICATES: the last one
};

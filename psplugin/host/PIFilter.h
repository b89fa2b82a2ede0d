#pragma once

// A small stand-in of an image editor's filter plug-in interface, written
// for this project: the records, selectors, result codes and procedures
// that the filter plug-in uses and that a host (our test host) offers. Only
// what the plug-in needs is here; the layout is this project's own.

#include <cstdint>

extern "C" {

typedef int16_t OSErr;
typedef int32_t Fixed; // 16.16
typedef uint32_t ResType;
typedef uint32_t DescriptorKeyID;
typedef uint32_t DescriptorTypeID;
typedef uint8_t Boolean;

typedef struct PIHandleData* Handle;
typedef Handle PIDescriptorHandle;
typedef struct PIReadDescriptorData* PIReadDescriptor;
typedef struct PIWriteDescriptorData* PIWriteDescriptor;

struct Point16 {
    int16_t v, h;
};
struct Rect16 {
    int16_t top, left, bottom, right;
};
struct VPoint {
    int32_t v, h;
};
struct VRect {
    int32_t top, left, bottom, right;
};

// Four characters as one number, first character highest.
constexpr uint32_t PIChars(const char (&s)[5])
{
    return uint32_t(uint8_t(s[0])) << 24 | uint32_t(uint8_t(s[1])) << 16 | uint32_t(uint8_t(s[2])) << 8 |
           uint32_t(uint8_t(s[3]));
}

enum FilterSelector : int16_t {
    filterSelectorAbout = 0,
    filterSelectorParameters = 1,
    filterSelectorPrepare = 2,
    filterSelectorStart = 3,
    filterSelectorContinue = 4,
    filterSelectorFinish = 5,
};

enum : OSErr {
    noErr = 0,
    memFullErr = -108,
    userCanceledErr = -128,
    errMissingParameter = -1715,
    filterBadParameters = -30100,
    filterBadMode = -30101,
    // advanceState: a request reaches outside the image with padding -3.
    plugInputOutOfRange = -30102,
};

enum ImageMode : int16_t {
    plugInModeBitmap = 0,
    plugInModeGrayScale = 1,
    plugInModeRGBColor = 3,
    plugInModeGray16 = 10,
    plugInModeRGB48 = 11,
};

// What the host wants of a replayed step, and what it records.
enum PIDialogPlayOptions : int16_t {
    plugInDialogDontDisplay = 0,
    plugInDialogDisplay = 1,
    plugInDialogSilent = 2,
};
enum PIDialogRecordOptions : int16_t {
    plugInDialogOptional = 0,
    plugInDialogRequired = 1,
    plugInDialogNone = 2,
};

// Padding value that makes reads outside the image an error.
constexpr int16_t plugInWantsErrorOnBoundsException = -3;

typedef Boolean (*TestAbortProc)(void);
typedef OSErr (*AdvanceStateProc)(void);
// Shows a message box (title, text) over the host's window.
typedef void (*DisplayMessageProc)(const char* title, const char* text);

struct HandleProcs {
    Handle (*newProc)(int32_t size);
    void (*disposeProc)(Handle h);
    int32_t (*getSizeProc)(Handle h);
    char* (*lockProc)(Handle h, Boolean moveHigh);
    void (*unlockProc)(Handle h);
};

struct PropertyProcs {
    OSErr (*getPropertyProc)(ResType signature, ResType key, int32_t index, intptr_t* simpleProperty,
                             Handle* complexProperty);
};

struct ReadDescriptorProcs {
    // keys: zero-terminated list of the keys wanted.
    PIReadDescriptor (*openReadDescriptorProc)(PIDescriptorHandle descriptor, const DescriptorKeyID* keys);
    OSErr (*closeReadDescriptorProc)(PIReadDescriptor token);
    Boolean (*getKeyProc)(PIReadDescriptor token, DescriptorKeyID* key, DescriptorTypeID* type, int32_t* flags);
    // str255: a length byte, then the characters.
    OSErr (*getStringProc)(PIReadDescriptor token, unsigned char* str255);
};

struct WriteDescriptorProcs {
    PIWriteDescriptor (*openWriteDescriptorProc)(void);
    OSErr (*closeWriteDescriptorProc)(PIWriteDescriptor token, PIDescriptorHandle* descriptor);
    OSErr (*putStringProc)(PIWriteDescriptor token, DescriptorKeyID key, const unsigned char* str255);
};

struct PIDescriptorParameters {
    int16_t descriptorParametersVersion;
    int16_t playInfo;   // PIDialogPlayOptions
    int16_t recordInfo; // PIDialogRecordOptions
    PIDescriptorHandle descriptor;
    WriteDescriptorProcs* writeDescriptorProcs;
    ReadDescriptorProcs* readDescriptorProcs;
};

// 32-bit coordinates for documents beyond 16-bit sizes.
struct BigDocumentStruct {
    int32_t PluginUsing32BitCoordinates;
    VPoint wholeSize32;
    VRect filterRect32;
    VRect inRect32;
    VRect outRect32;
    VRect maskRect32;
};

struct SPBasicSuite {
    int32_t version;
};

struct FilterRecord {
    TestAbortProc abortProc;
    Handle parameters;
    Point16 imageSize;
    int16_t planes;
    Rect16 filterRect;
    int32_t maxSpace;
    int32_t bufferSpace;
    Rect16 inRect;
    int16_t inLoPlane, inHiPlane;
    Rect16 outRect;
    int16_t outLoPlane, outHiPlane;
    void* inData;
    int32_t inRowBytes;
    void* outData;
    int32_t outRowBytes;
    Rect16 maskRect;
    void* maskData;
    int32_t maskRowBytes;
    AdvanceStateProc advanceState;
    int16_t imageMode; // ImageMode
    Point16 wholeSize;
    Fixed inputRate;
    int16_t inputPadding;
    int16_t outputPadding;
    Boolean supportsPadding;
    Boolean supportsSampling;
    Boolean canUseICCProfiles;
    Handle iCCprofileData;
    int32_t iCCprofileSize;
    HandleProcs* handleProcs;
    PropertyProcs* propertyProcs;
    PIDescriptorParameters* descriptorParameters;
    BigDocumentStruct* bigDocumentData;
    SPBasicSuite* sSPBasic;
    void* platformData; // the host's window
    DisplayMessageProc displayMessage;
};

struct AboutRecord {
    void* platformData;
    SPBasicSuite* sSPBasic;
    DisplayMessageProc displayMessage;
};

// The plug-in's entry, exported as "PluginMain".
typedef void (*PluginMainProc)(int16_t selector, void* record, intptr_t* data, int16_t* result);

// The plug-in's description for hosts, exported as constant data
// "PluginPiPL", and its scripting terminology, "PluginAete".
struct PIPropertyList {
    ResType kind;           // '8BFM': filter
    const char* name;
    const char* category;
    uint32_t version;       // 16.16
    ResType codeArchitecture;
    const char* entryPoint;
    uint32_t supportedModes; // bit per ImageMode
    const char* enableExpression;
    struct {
        int32_t version;
        ResType classId;
        ResType eventId;
        int16_t terminologyId;
        const char* scope;
    } terminology;
    VPoint maximumSize;      // 0 x 0 when the build states none
    uint32_t layerSupport;
};

struct PITerminology {
    int16_t majorVersion, minorVersion, language, script;
    const char* vendor;
    const char* description;
    ResType suiteId;
    int16_t level, suiteVersion;
    const char* eventName;
    const char* eventDescription;
    ResType eventClass;
    ResType eventId;
    ResType replyType;
    ResType directParameterType;
    uint16_t directParameterFlags;
};

} // extern "C"

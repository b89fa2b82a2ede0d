// The painting filter inside GIMP 2.10: the procedure, its run modes, and
// one exchange with the painting program per run.
#include "CancelGuard.h"
#include "DrawableArea.h"
#include "ProgramLocation.h"

#include <HostExchange.h>

#include <libgimp/gimp.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

const char kProcedure[] = "plug-in-strovane-painting";
// The preset id kept with the image, and under the procedure's name as the
// plug-in's last values.
const char kParasite[] = "strovane-preset-id";
constexpr int kPresetBytes = sizeof(IPCParams::presetId);
constexpr int kWaitTickMs = 150;
constexpr int kReapMs = 5000;

void query()
{
    static const GimpParamDef args[] = {
        {GIMP_PDB_INT32, const_cast<gchar*>("run-mode"), const_cast<gchar*>("The run mode { RUN-INTERACTIVE (0), RUN-NONINTERACTIVE (1), RUN-WITH-LAST-VALS (2) }")},
        {GIMP_PDB_IMAGE, const_cast<gchar*>("image"), const_cast<gchar*>("Input image")},
        {GIMP_PDB_DRAWABLE, const_cast<gchar*>("drawable"), const_cast<gchar*>("Input drawable")},
        {GIMP_PDB_STRING, const_cast<gchar*>("preset-id"),
         const_cast<gchar*>("Id of the preset or built-in style to paint with (empty: the image's or the last one)")},
    };
    gimp_install_procedure(kProcedure, "Turns the photograph into a painting",
                           "Opens the Strovane painting program on the selection (or the whole layer) and paints it "
                           "with the style chosen there; run non-interactively it paints with the given preset id.",
                           "Velmora Labs", "Velmora Labs", "2026", "Strovane _Painting...", "RGB*, GRAY*", GIMP_PLUGIN,
                           G_N_ELEMENTS(args), 0, args, nullptr);
    gimp_plugin_menu_register(kProcedure, "<Image>/Filters/Artistic");
}

std::string lastValues()
{
    char id[kPresetBytes] = {};
    if (gimp_get_data_size(kProcedure) == kPresetBytes)
        gimp_get_data(kProcedure, id);
    id[kPresetBytes - 1] = 0;
    return id;
}

std::string imagePreset(gint32 image)
{
    GimpParasite* parasite = gimp_image_get_parasite(image, kParasite);
    if (!parasite)
        return std::string();
    const char* data = static_cast<const char*>(gimp_parasite_data(parasite));
    const std::string id(data, std::size_t(std::min<glong>(gimp_parasite_data_size(parasite), kPresetBytes - 1)));
    gimp_parasite_free(parasite);
    return id.c_str();
}

void keepPreset(gint32 image, const std::string& id)
{
    char data[kPresetBytes] = {};
    std::strncpy(data, id.c_str(), kPresetBytes - 1);
    gimp_set_data(kProcedure, data, kPresetBytes);
    GimpParasite* parasite = gimp_parasite_new(kParasite, GIMP_PARASITE_PERSISTENT | GIMP_PARASITE_UNDOABLE,
                                               id.size() + 1, id.c_str());
    gimp_image_attach_parasite(image, parasite);
    gimp_parasite_free(parasite);
}

// The image's colour profile as ICC bytes (GIMP's built-in sRGB or gray one
// when it has none of its own).
std::vector<guint8> profileOf(gint32 image)
{
    std::vector<guint8> bytes;
    if (GimpColorProfile* profile = gimp_image_get_effective_color_profile(image)) {
        gsize length = 0;
        const guint8* data = gimp_color_profile_get_icc_profile(profile, &length);
        bytes.assign(data, data + length);
        g_object_unref(profile);
    }
    return bytes;
}

// Paints the area; the status for the PDB and, on failure, a message.
GimpPDBStatusType paint(gint32 image, gint32 drawable, GimpRunMode mode, const std::string& presetId,
                        std::string* message)
{
    DrawableArea area(drawable);
    if (area.isEmpty())
        return GIMP_PDB_SUCCESS;
    const std::vector<guint8> profile = profileOf(image);
    std::unique_ptr<HostExchange> exchange;
    try {
        exchange.reset(new HostExchange(area.width(), area.height(), area.isGray(), profile.data(),
                                        std::int32_t(profile.size()), presetId.c_str(),
                                        mode == GIMP_RUN_INTERACTIVE ? 1 : 0));
    } catch (const IpcError& e) {
        *message = e.code() == IPC_ERR_BUSY ? std::string(e.what())
                                            : std::string("The image cannot be handed to the painting program: ") + e.what();
        return GIMP_PDB_EXECUTION_ERROR;
    }
    area.read(*exchange);

    // build/bin/gimp/plug-ins/<name>/ beside build/bin/; an install's
    // lib/gimp/2.0/plug-ins/<name>/ beside lib/strovane/.
    const ProgramLocation location = ProgramLocation::find({"../../..", "../../../../strovane"});
    if (!exchange->launch(location.program, location.folder)) {
        *message = "The painting program cannot be started: " + location.program;
        return GIMP_PDB_EXECUTION_ERROR;
    }
    {
        CancelGuard guard(exchange->program(), exchange->files());
        gimp_progress_init("Strovane Painting");
        while (!exchange->answered()) {
            gimp_progress_pulse();
            HostExchange::sleepMs(kWaitTickMs);
        }
    }
    exchange->dropProfile();
    switch (exchange->status()) {
    case IPC_STATUS_DONE:
        break;
    case IPC_STATUS_CANCELLED:
        exchange->reap(kReapMs);
        return GIMP_PDB_CANCEL;
    case IPC_STATUS_FAILED:
        *message = "The painting program failed: " + exchange->message();
        return GIMP_PDB_EXECUTION_ERROR;
    default:
        *message = "The painting program ended without an answer.";
        return GIMP_PDB_EXECUTION_ERROR;
    }

    gimp_image_undo_group_start(image);
    area.write(*exchange);
    keepPreset(image, exchange->presetId());
    gimp_image_undo_group_end(image);
    exchange->reap(kReapMs);
    gimp_progress_end();
    return GIMP_PDB_SUCCESS;
}

void run(const gchar*, gint nparams, const GimpParam* params, gint* nreturn, GimpParam** returns)
{
    static GimpParam values[2];
    *nreturn = 1;
    *returns = values;
    values[0].type = GIMP_PDB_STATUS;
    values[0].data.d_status = GIMP_PDB_CALLING_ERROR;
    if (nparams < 3)
        return;
    gegl_init(nullptr, nullptr);
    const GimpRunMode mode = GimpRunMode(params[0].data.d_int32);
    const gint32 image = params[1].data.d_image;
    const gint32 drawable = params[2].data.d_drawable;
    // The given id, else the one kept with the image, else the last one.
    std::string presetId = nparams > 3 && params[3].data.d_string && mode != GIMP_RUN_WITH_LAST_VALS
        ? std::string(params[3].data.d_string).substr(0, kPresetBytes - 1)
        : std::string();
    if (presetId.empty())
        presetId = mode == GIMP_RUN_WITH_LAST_VALS ? lastValues() : imagePreset(image);
    if (presetId.empty())
        presetId = mode == GIMP_RUN_WITH_LAST_VALS ? imagePreset(image) : lastValues();

    std::string message;
    values[0].data.d_status = paint(image, drawable, mode, presetId, &message);
    if (!message.empty()) {
        *nreturn = 2;
        values[1].type = GIMP_PDB_STRING;
        values[1].data.d_string = g_strdup(message.c_str());
        if (mode == GIMP_RUN_INTERACTIVE)
            g_message("%s", message.c_str());
    }
    if (mode != GIMP_RUN_NONINTERACTIVE)
        gimp_displays_flush();
}

} // namespace

const GimpPlugInInfo PLUG_IN_INFO = {nullptr, nullptr, query, run};

MAIN()

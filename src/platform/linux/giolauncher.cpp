// Opening files with their default application and trashing them, through GIO.
#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>

#include "platform/launcher.h"
#include "platform/trash.h"

#include <unistd.h>

#include <memory>

namespace dsc::platform {

namespace {

template <typename T> struct GObjectDeleter {
    void operator()(T* p) const {
        if (p) {
            g_object_unref(p);
        }
    }
};
template <typename T> using GPtr = std::unique_ptr<T, GObjectDeleter<T>>;

std::string takeMessage(GError* error) {
    std::string message = error ? error->message : "unknown error";
    if (error) {
        g_error_free(error);
    }
    return message;
}

// The content type of the file: by its contents and name, as the file manager sees it.
std::string contentType(GFile* file, const std::string& name) {
    GPtr<GFileInfo> info(
        g_file_query_info(file, G_FILE_ATTRIBUTE_STANDARD_CONTENT_TYPE, G_FILE_QUERY_INFO_NONE, nullptr, nullptr));
    if (info && g_file_info_get_content_type(info.get())) {
        return g_file_info_get_content_type(info.get());
    }
    gchar* guessed = g_content_type_guess(name.c_str(), nullptr, 0, nullptr);
    std::string type = guessed ? guessed : "";
    g_free(guessed);
    return type;
}

void enterFolder(gpointer folder) {
    // Runs in the child before the program starts: its working folder.
    if (::chdir(static_cast<const char*>(folder)) != 0) {
        _exit(127);
    }
}

class GioLauncher : public Launcher {
public:
    LaunchOutcome open(std::uint64_t, const std::filesystem::path& fileName,
                       const std::filesystem::path& folder) override {
        LaunchOutcome out;
        const std::filesystem::path path = folder / fileName;
        GPtr<GFile> file(g_file_new_for_path(path.c_str()));
        const std::string type = contentType(file.get(), fileName.native());
        GPtr<GAppInfo> app(type.empty() ? nullptr : g_app_info_get_default_for_type(type.c_str(), FALSE));
        if (!app) {
            out.result = LaunchOutcome::Result::NoAssociation;
            return out;
        }
        gchar* uri = g_file_get_uri(file.get());
        GList* uris = g_list_append(nullptr, uri);
        GError* error = nullptr;
        gboolean started = FALSE;
        std::string workdir = folder.native();
        if (G_IS_DESKTOP_APP_INFO(app.get())) {
            started = g_desktop_app_info_launch_uris_as_manager(G_DESKTOP_APP_INFO(app.get()), uris, nullptr,
                                                                G_SPAWN_SEARCH_PATH, enterFolder, workdir.data(),
                                                                nullptr, nullptr, &error);
        } else {
            started = g_app_info_launch_uris(app.get(), uris, nullptr, &error);
        }
        g_list_free(uris);
        g_free(uri);
        if (started) {
            out.result = LaunchOutcome::Result::Started;
        } else {
            out.result = LaunchOutcome::Result::Failed;
            out.reason = takeMessage(error);
        }
        return out;
    }
};

class GioTrash : public Trash {
public:
    bool moveToTrash(const std::filesystem::path& path, std::string& reason) override {
        GPtr<GFile> file(g_file_new_for_path(path.c_str()));
        GError* error = nullptr;
        if (g_file_trash(file.get(), nullptr, &error)) {
            return true;
        }
        reason = takeMessage(error);
        return false;
    }
};

} // namespace

Launcher& systemLauncher() {
    static GioLauncher launcher;
    return launcher;
}

Trash& systemTrash() {
    static GioTrash trash;
    return trash;
}

} // namespace dsc::platform

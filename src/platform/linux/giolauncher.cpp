// Opening files with their default application and trashing them, through GIO.
#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>

#include "platform/launcher.h"
#include "platform/trash.h"

#include <QAbstractEventDispatcher>

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

// The content type of the file: by its contents and name, as the file manager sees it; by its name
// alone when its contents cannot be had.
std::string contentType(GFileInfo* info, const std::string& name) {
    if (info && g_file_info_get_content_type(info)) {
        return g_file_info_get_content_type(info);
    }
    gchar* guessed = g_content_type_guess(name.c_str(), nullptr, 0, nullptr);
    std::string type = guessed ? guessed : "";
    g_free(guessed);
    return type;
}

// GIO's asynchronous calls finish in this thread's main context: on the window's thread, that is
// the one Qt's GLib event dispatcher runs. Under another dispatcher nothing would run it, so the
// calls are made in place there.
bool mainContextRuns() {
    const QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
    return !dispatcher || dispatcher->inherits("QEventDispatcherGlib");
}

void enterFolder(gpointer folder) {
    // Runs in the child before the program starts: its working folder.
    if (::chdir(static_cast<const char*>(folder)) != 0) {
        _exit(127);
    }
}

LaunchOutcome launchAs(const std::string& type, GFile* file, const std::filesystem::path& folder) {
    LaunchOutcome out;
    GPtr<GAppInfo> app(type.empty() ? nullptr : g_app_info_get_default_for_type(type.c_str(), FALSE));
    if (!app) {
        out.result = LaunchOutcome::Result::NoAssociation;
        return out;
    }
    gchar* uri = g_file_get_uri(file);
    GList* uris = g_list_append(nullptr, uri);
    GError* error = nullptr;
    gboolean started = FALSE;
    std::string workdir = folder.native();
    if (G_IS_DESKTOP_APP_INFO(app.get())) {
        started =
            g_desktop_app_info_launch_uris_as_manager(G_DESKTOP_APP_INFO(app.get()), uris, nullptr, G_SPAWN_SEARCH_PATH,
                                                      enterFolder, workdir.data(), nullptr, nullptr, &error);
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

struct LaunchJob {
    std::string name;
    std::filesystem::path folder;
    Launcher::Done done;
};

void contentTypeArrived(GObject* source, GAsyncResult* result, gpointer data) {
    const std::unique_ptr<LaunchJob> job(static_cast<LaunchJob*>(data));
    GFile* file = G_FILE(source);
    GPtr<GFileInfo> info(g_file_query_info_finish(file, result, nullptr));
    job->done(launchAs(contentType(info.get(), job->name), file, job->folder));
}

class GioLauncher : public Launcher {
public:
    LaunchOutcome open(std::uint64_t, const std::filesystem::path& fileName,
                       const std::filesystem::path& folder) override {
        GPtr<GFile> file(g_file_new_for_path((folder / fileName).c_str()));
        GPtr<GFileInfo> info(g_file_query_info(file.get(), G_FILE_ATTRIBUTE_STANDARD_CONTENT_TYPE,
                                               G_FILE_QUERY_INFO_NONE, nullptr, nullptr));
        return launchAs(contentType(info.get(), fileName.native()), file.get(), folder);
    }

    void openAsync(std::uint64_t owner, const std::filesystem::path& fileName, const std::filesystem::path& folder,
                   Done done) override {
        if (!mainContextRuns()) {
            done(open(owner, fileName, folder));
            return;
        }
        // Sniffing the contents reads the file: GIO does it on a thread of its own.
        GPtr<GFile> file(g_file_new_for_path((folder / fileName).c_str()));
        g_file_query_info_async(file.get(), G_FILE_ATTRIBUTE_STANDARD_CONTENT_TYPE, G_FILE_QUERY_INFO_NONE,
                                G_PRIORITY_DEFAULT, nullptr, contentTypeArrived,
                                new LaunchJob{fileName.native(), folder, std::move(done)});
    }
};

void trashed(GObject* source, GAsyncResult* result, gpointer data) {
    const std::unique_ptr<Trash::Done> done(static_cast<Trash::Done*>(data));
    GError* error = nullptr;
    if (g_file_trash_finish(G_FILE(source), result, &error)) {
        (*done)(true, {});
    } else {
        (*done)(false, takeMessage(error));
    }
}

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

    void moveToTrashAsync(const std::filesystem::path& path, Done done) override {
        if (!mainContextRuns()) {
            Trash::moveToTrashAsync(path, std::move(done));
            return;
        }
        GPtr<GFile> file(g_file_new_for_path(path.c_str()));
        g_file_trash_async(file.get(), G_PRIORITY_DEFAULT, nullptr, trashed, new Done(std::move(done)));
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

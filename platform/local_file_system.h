#pragma once

#include "engine/file_system.h"
#include "platform/event_file_store.h"
#include "platform/file_primitives.h"
#include "platform/interruption.h"

#include <memory>
#include <optional>

namespace orvelin::platform {

// The file-system service on the local disk: files are bytes, passed
// unchanged. Written once over each OS's file primitives.
class LocalFileSystem final : public FileSystem {
public:
    // On this OS's own files, interrupted by this process's interruptions.
    LocalFileSystem();
    LocalFileSystem(std::shared_ptr<FilePrimitives> os, Interruptions& interruptions);

    bool FileExists(const std::string& path) override;
    // Only ordinary files can be opened: a folder, FIFO or device fails at once
    // instead of blocking or never ending.
    std::unique_ptr<InputTextStream> OpenTextFile(const std::string& path, IOMode mode) override;
    // See EventFileStore: whole or absent, never through a link, durable once committed.
    std::unique_ptr<OutputTextStream> CreateTextFile(const std::string& path, bool overwrite) override;
    void Commit() override;
    std::vector<std::string> NamesOf(const std::vector<std::string>& files, const std::string& folder) override;
    bool SameFile(const std::string& a, const std::string& b) override;
    std::string FirstFileIn(const std::string& folder) override;
    void MakeFolder(const std::string& folder) override;
    bool IsFolder(const std::string& path) override;
    std::string EnterFolder(const std::string& folder) override;
    // As given where it cannot be made full.
    std::string FullPath(const std::string& path) override;
    std::int64_t ModifiedAt(const std::string& path) override;
    const calendar::Transcoder& Charsets() override;
    FolderContents ReadFolder(const std::string& folder, const std::vector<std::string>& kept) override;
    void RecordResultIn(const std::string& folder, bool continuing) override;
    void CheckCanWriteInto(const std::string& folder) override;
    // The folder's nearest existing ancestor, by its identity once every
    // link is followed, and the names below it (on Windows in upper case).
    std::string FolderKey(const std::string& folder) override;

private:
    // The nearest of path's ancestors (path itself included) that exists,
    // and the names below it, nearest last.
    std::string ExistingAncestor(const std::string& path, std::vector<std::string>& below);

    // Shared with the input streams, which may outlive the service.
    std::shared_ptr<FilePrimitives> os_;
    EventFileStore store_;
};

}  // namespace orvelin::platform

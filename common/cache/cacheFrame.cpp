#include "common/cache/cacheFrame.h"

#include <boost/archive/archive_exception.hpp>
#include <boost/archive/binary_iarchive_impl.hpp>
#include <boost/archive/binary_oarchive.hpp>
#include <boost/archive/impl/archive_serializer_map.ipp>
#include <boost/archive/impl/basic_binary_iarchive.ipp>
#include <boost/archive/impl/basic_binary_iprimitive.ipp>
#include <boost/filesystem/operations.hpp>
#include <boost/serialization/array_wrapper.hpp>
#include <boost/serialization/collection_size_type.hpp>
#include <boost/serialization/map.hpp>
#include <boost/serialization/string.hpp>
#include <boost/serialization/vector.hpp>
#include <boost/system/error_code.hpp>
#include <cstdint>
#include <exception>
#include <fstream>
#include <sstream>
#include <streambuf>
#include <type_traits>

std::string cacheFrameFileName(const std::string& prefix, int frame) {
    std::ostringstream name;
    name << prefix << "_" << frame << ".zuc";
    return name.str();
}

// ---- writing

struct CacheFrameWriter::Archive {
    std::ofstream file;
    std::unique_ptr<boost::archive::binary_oarchive> archive;
};

CacheFrameWriter::CacheFrameWriter(const std::string& path) : archive_(new Archive) {
    archive_->file.open(path, std::ios::binary | std::ios::out | std::ios::trunc);
    if (!archive_->file) return;
    try {
        archive_->archive.reset(new boost::archive::binary_oarchive(archive_->file));
    } catch (const std::exception&) {
        archive_->archive.reset();
    }
}

CacheFrameWriter::~CacheFrameWriter() = default;

bool CacheFrameWriter::isOpen() const { return archive_->archive && archive_->file.good(); }

bool CacheFrameWriter::save(const CacheFrame& frame) {
    if (!isOpen()) return false;
    try {
        *archive_->archive << frame.ints << frame.doubles << frame.vectors;
    } catch (const std::exception&) {
        return false;
    }
    archive_->archive.reset();
    archive_->file.close();
    return !archive_->file.fail();
}

// ---- reading

namespace {

// A regular file's bytes through a buffer that knows how many are still to come.
class FileBytes : public std::streambuf {
public:
    bool open(const std::string& path) {
        boost::system::error_code error;
        if (!boost::filesystem::is_regular_file(path, error)) return false;
        file_.pubsetbuf(nullptr, 0);  // reads go through chunk_ alone
        if (!file_.open(path, std::ios::binary | std::ios::in)) return false;
        const std::streamoff end = file_.pubseekoff(0, std::ios::end, std::ios::in);
        if (end < 0 || file_.pubseekoff(0, std::ios::beg, std::ios::in) != 0) return false;
        size_ = static_cast<std::uint64_t>(end);
        return true;
    }

    std::uint64_t remaining() const {
        const std::uint64_t consumed = fetched_ - static_cast<std::uint64_t>(egptr() - gptr());
        return consumed < size_ ? size_ - consumed : 0;
    }

protected:
    int_type underflow() override {
        if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
        const std::streamsize count = file_.sgetn(chunk_, sizeof chunk_);
        if (count <= 0) return traits_type::eof();
        fetched_ += static_cast<std::uint64_t>(count);
        setg(chunk_, chunk_, chunk_ + count);
        return traits_type::to_int_type(*gptr());
    }

private:
    std::filebuf file_;
    std::uint64_t size_ = 0;
    std::uint64_t fetched_ = 0;
    char chunk_[1 << 14];
};

// The binary input archive, reading exactly the bytes the binary output archive writes, with
// every length and count checked against the bytes left in the file before anything is sized
// from it: a corrupt count fails the load instead of asking for memory the file cannot fill.
class CacheInputArchive
    : public boost::archive::binary_iarchive_impl<CacheInputArchive, char, std::char_traits<char>> {
    using Base =
        boost::archive::binary_iarchive_impl<CacheInputArchive, char, std::char_traits<char>>;

public:
    explicit CacheInputArchive(FileBytes& bytes) : Base(bytes, 0), bytes_(bytes) { init(0); }

    // Throws unless `count` items of `itemSize` bytes each can still come from the file.
    void requireBytes(std::uint64_t count, std::uint64_t itemSize) const {
        if (count > bytes_.remaining() / itemSize)
            throw boost::archive::archive_exception(
                boost::archive::archive_exception::input_stream_error);
    }

private:
    friend class boost::archive::detail::interface_iarchive<CacheInputArchive>;
    friend class boost::archive::basic_binary_iarchive<CacheInputArchive>;
    friend class boost::archive::basic_binary_iprimitive<CacheInputArchive, char,
                                                         std::char_traits<char>>;
    friend class boost::archive::load_access;

    template <class T>
    void load_override(T& t) {
        Base::load_override(t);
    }
    // Each element of a collection takes at least one byte.
    void load_override(boost::serialization::collection_size_type& count) {
        Base::load_override(count);
        requireBytes(count, 1);
    }

    using Base::load;
    // A stored bool other than 0 or 1 is corruption.
    void load(bool& value) {
        unsigned char byte = 0;
        load_binary(&byte, 1);
        if (byte > 1)
            throw boost::archive::archive_exception(
                boost::archive::archive_exception::input_stream_error);
        value = byte == 1;
    }
    void load(std::string& text) {
        std::size_t length = 0;
        load(length);
        requireBytes(length, 1);
        text.resize(length);
        if (length) load_binary(&text[0], length);
    }

    FileBytes& bytes_;
};

// A vector of numbers, stored as its count and then its elements' bytes. Found by argument-
// dependent lookup in place of the library's own load, which sizes the vector from the count
// before reading anything.
template <class T, class = std::enable_if_t<std::is_arithmetic<T>::value>>
void load(CacheInputArchive& archive, std::vector<T>& values,
          const boost::serialization::version_type) {
    boost::serialization::collection_size_type count;
    archive >> BOOST_SERIALIZATION_NVP(count);
    archive.requireBytes(count, sizeof(T));
    values.resize(count);
    if (BOOST_SERIALIZATION_VECTOR_VERSIONED(archive.get_library_version())) {
        unsigned int itemVersion = 0;
        archive >> BOOST_SERIALIZATION_NVP(itemVersion);
    }
    if (count)
        archive >> boost::serialization::make_array<T, boost::serialization::collection_size_type>(
                       values.data(), count);
}

template <class Map>
bool loadMap(CacheInputArchive& archive, Map& map) {
    try {
        archive >> map;
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

// The archive's first bytes: the signature's length (8 bytes), "serialization::archive" and
// the library version (2 bytes).
constexpr std::uint64_t kSignatureAndVersionBytes = 8 + 22 + 2;

}  // namespace

BOOST_SERIALIZATION_USE_ARRAY_OPTIMIZATION(CacheInputArchive)

CacheReadResult readCacheFrame(const std::string& path, CacheFrame& frame) {
    FileBytes bytes;
    if (!bytes.open(path)) return CacheReadResult::kCannotOpen;
    // The library reads the version after the signature byte by byte, unchecked: make sure that
    // the signature's length, the signature and the version are there.
    if (bytes.remaining() < kSignatureAndVersionBytes) return CacheReadResult::kBadHeader;
    std::unique_ptr<CacheInputArchive> archive;
    try {
        archive.reset(new CacheInputArchive(bytes));
    } catch (const std::exception&) {
        return CacheReadResult::kBadHeader;
    }
    if (!loadMap(*archive, frame.ints)) return CacheReadResult::kBadIntMap;
    if (!loadMap(*archive, frame.doubles)) return CacheReadResult::kBadDoubleMap;
    if (!loadMap(*archive, frame.vectors)) return CacheReadResult::kBadVectorMap;
    return CacheReadResult::kRead;
}

/* Test tool: fills an NTFS image through libntfs-3g (no mount, no FUSE, no root) and walks an
 * image's folders through the same library, to give the MFT engine's tests and benchmark a truth
 * that does not come from our own reader. It is built for the tests only and is never linked
 * into, or shipped with, the programs or the packages (libntfs-3g is GPL-2+).
 *
 *   ntfs-image-tool fill IMAGE   < SCRIPT   makes what SCRIPT says
 *   ntfs-image-tool walk IMAGE [--quiet]    lists every name below the root, folders first met
 *                                           first, in the order the library's readdir gives
 *
 * SCRIPT has one command per line, fields separated by tabs, paths relative to the root with '/':
 *   dir PATH | file PATH SIZE | sparse PATH OFFSET LENGTH | link EXISTING NEWPATH
 *   stream PATH NAME SIZE | dos PATH SHORTNAME | compress DIRPATH | delete PATH
 *   many DIRPATH COUNT SIZE PREFIX | reparse PATH TAG(hex) | attrib PATH FLAGS(hex)
 *   win32 PATH (turns the library's POSIX-namespace name into a Win32 one, as Windows writes it)
 *
 * The walk prints one line per name, the root's first (with an empty path): KIND \t PATH \t SIZE \t ONDISK \t RECORD \t STREAMS
 * where KIND is d or f, SIZE the unnamed data stream's logical size (0 for a folder), ONDISK the
 * clusters of its data streams and its index (allocated bytes, or the compressed size of a sparse
 * or compressed stream; 0 while resident), RECORD the MFT record number and STREAMS the part of
 * ONDISK held by named data streams. */
#include <errno.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

#include <ntfs-3g/types.h>
#include <ntfs-3g/attrib.h>
#include <ntfs-3g/dir.h>
#include <ntfs-3g/inode.h>
#include <ntfs-3g/layout.h>
#include <ntfs-3g/reparse.h>
#include <ntfs-3g/security.h>
#include <ntfs-3g/unistr.h>
#include <ntfs-3g/volume.h>

static ntfs_volume *vol;

static void die(const char *what, const char *path) {
  fprintf(stderr, "ntfs-image-tool: %s %s: %s\n", what, path ? path : "", strerror(errno));
  exit(1);
}

/* Splits "a/b/c" into the parent inode (opened) and the last name as NTFS text. */
static ntfs_inode *open_parent(const char *path, ntfschar **uname, int *ulen) {
  char *copy = strdup(path);
  char *slash = strrchr(copy, '/');
  const char *leaf = slash ? slash + 1 : copy;
  ntfs_inode *dir;
  if (slash) {
    *slash = 0;
    dir = ntfs_pathname_to_inode(vol, NULL, copy);
  } else {
    dir = ntfs_inode_open(vol, FILE_root);
  }
  if (!dir) die("cannot open the folder of", path);
  *uname = NULL;
  *ulen = ntfs_mbstoucs(leaf, uname);
  if (*ulen <= 0) die("cannot convert the name", path);
  free(copy);
  return dir;
}

static ntfs_inode *open_path(const char *path) {
  ntfs_inode *ni = ntfs_pathname_to_inode(vol, NULL, path);
  if (!ni) die("cannot open", path);
  return ni;
}

static void write_pattern(ntfs_inode *ni, ntfschar *sname, int slen, int64_t offset,
                          int64_t length, const char *path) {
  ntfs_attr *na = ntfs_attr_open(ni, AT_DATA, sname ? sname : AT_UNNAMED, slen);
  if (!na) die("cannot open the data of", path);
  static char block[1 << 16];
  for (size_t i = 0; i < sizeof block; ++i) block[i] = (char)(i * 131 + 7);
  int64_t done = 0;
  while (done < length) {
    int64_t n = length - done < (int64_t)sizeof block ? length - done : (int64_t)sizeof block;
    if (ntfs_attr_pwrite(na, offset + done, n, block) != n) die("cannot write", path);
    done += n;
  }
  ntfs_attr_close(na);
}

static ntfs_inode *create(const char *path, mode_t type) {
  ntfschar *uname;
  int ulen;
  ntfs_inode *dir = open_parent(path, &uname, &ulen);
  ntfs_inode *ni = ntfs_create(dir, const_cpu_to_le32(0), uname, (u8)ulen, type);
  if (!ni) die("cannot create", path);
  free(uname);
  ntfs_inode_close(dir);
  return ni;
}

static void cmd_file(const char *path, int64_t offset, int64_t length) {
  ntfs_inode *ni = create(path, S_IFREG);
  if (length > 0) write_pattern(ni, NULL, 0, offset, length, path);
  ntfs_inode_close(ni);
}

static void cmd_link(const char *existing, const char *path) {
  ntfs_inode *ni = open_path(existing);
  ntfschar *uname;
  int ulen;
  ntfs_inode *dir = open_parent(path, &uname, &ulen);
  if (ntfs_link(ni, dir, uname, (u8)ulen)) die("cannot link", path);
  free(uname);
  ntfs_inode_close(dir);
  ntfs_inode_close(ni);
}

static void cmd_stream(const char *path, const char *name, int64_t size) {
  ntfs_inode *ni = open_path(path);
  ntfschar *sname = NULL;
  int slen = ntfs_mbstoucs(name, &sname);
  if (slen <= 0) die("cannot convert the stream name", name);
  if (ntfs_attr_add(ni, AT_DATA, sname, (u8)slen, NULL, 0)) die("cannot add a stream to", path);
  if (size > 0) write_pattern(ni, sname, slen, 0, size, path);
  free(sname);
  ntfs_inode_close(ni);
}

/* The library writes names in the POSIX namespace; Windows writes Win32 (+DOS) names. Setting a
 * DOS name turns the long name into a Win32 one and adds the short name beside it. */
static void cmd_dos(const char *path, const char *shortname) {
  ntfs_inode *ni = open_path(path);
  char *copy = strdup(path);
  char *slash = strrchr(copy, '/');
  ntfs_inode *dir;
  if (slash) {
    *slash = 0;
    dir = open_path(copy);
  } else {
    dir = ntfs_inode_open(vol, FILE_root);
  }
  free(copy);
  /* closes both inodes, whatever the outcome */
  if (ntfs_set_ntfs_dos_name(ni, dir, shortname, strlen(shortname), 0)) die("dos name", path);
}

static void set_attrib(const char *path, uint32_t flags) {
  ntfs_inode *ni = open_path(path);
  le32 value = cpu_to_le32(flags);
  if (ntfs_set_ntfs_attrib(ni, (const char *)&value, sizeof value, 0)) die("attributes", path);
  ntfs_inode_close(ni);
}

static void cmd_compress(const char *path) {
  NVolSetCompression(vol);
  ntfs_inode *ni = open_path(path);
  uint32_t flags = le32_to_cpu(ni->flags) | 0x800; /* FILE_ATTR_COMPRESSED */
  ntfs_inode_close(ni);
  set_attrib(path, flags);
}

static void cmd_reparse(const char *path, uint32_t tag) {
  ntfs_inode *ni = open_path(path);
  unsigned char value[8 + 16];
  memset(value, 0, sizeof value);
  value[0] = (unsigned char)tag;
  value[1] = (unsigned char)(tag >> 8);
  value[2] = (unsigned char)(tag >> 16);
  value[3] = (unsigned char)(tag >> 24);
  value[4] = 16; /* data length */
  if (ntfs_set_ntfs_reparse_data(ni, (const char *)value, sizeof value, 0)) die("reparse", path);
  ntfs_inode_close(ni);
}

static void cmd_delete(const char *path) {
  ntfs_inode *ni = open_path(path);
  ntfschar *uname;
  int ulen;
  ntfs_inode *dir = open_parent(path, &uname, &ulen);
  /* closes both inodes */
  if (ntfs_delete(vol, path, ni, dir, uname, (u8)ulen)) die("cannot delete", path);
  free(uname);
}

static void cmd_many(const char *dirpath, long count, int64_t size, const char *prefix) {
  ntfs_inode *dir = dirpath[0] ? open_path(dirpath) : ntfs_inode_open(vol, FILE_root);
  char name[512];
  for (long i = 0; i < count; ++i) {
    snprintf(name, sizeof name, "%s%07ld", prefix, i);
    ntfschar *uname = NULL;
    int ulen = ntfs_mbstoucs(name, &uname);
    ntfs_inode *ni = ntfs_create(dir, const_cpu_to_le32(0), uname, (u8)ulen, S_IFREG);
    if (!ni) die("cannot create", name);
    if (size > 0) write_pattern(ni, NULL, 0, 0, size, name);
    ntfs_inode_close_in_dir(ni, dir);
    free(uname);
  }
  ntfs_inode_close(dir);
}

/* ---- the report: one line per name, from the library's own view of each inode ---- */

static int quiet;
static unsigned long long names_seen, bytes_seen;

/* Clusters an attribute holds outside the MFT: the first extent carries the totals; a sparse or
 * compressed one counts what it really holds. */
static int64_t held(const ATTR_RECORD *a) {
  if (!a->non_resident || a->lowest_vcn != const_cpu_to_sle64(0)) return 0;
  if (a->flags & (ATTR_IS_COMPRESSED | ATTR_IS_SPARSE)) return sle64_to_cpu(a->compressed_size);
  return sle64_to_cpu(a->allocated_size);
}

/* The unnamed stream's size, the clusters of the data streams and of a folder's index and,
 * among them, those of the named streams, as the library finds them through the attribute list
 * and the extension records. */
static void measure(ntfs_inode *ni, int64_t *size, int64_t *disk, int64_t *streams) {
  *size = *disk = *streams = 0;
  ntfs_attr_search_ctx *ctx = ntfs_attr_get_search_ctx(ni, NULL);
  if (!ctx) die("search context", NULL);
  while (!ntfs_attr_lookup(AT_UNUSED, NULL, 0, CASE_SENSITIVE, 0, NULL, 0, ctx)) {
    const ATTR_RECORD *a = ctx->attr;
    if (a->type == AT_INDEX_ALLOCATION) *disk += held(a);
    if (a->type != AT_DATA) continue;
    *disk += held(a);
    if (a->name_length) {
      *streams += held(a);
    } else if (!a->non_resident) {
      *size = le32_to_cpu(a->value_length);
    } else if (a->lowest_vcn == const_cpu_to_sle64(0)) {
      *size = sle64_to_cpu(a->data_size);
    }
  }
  ntfs_attr_put_search_ctx(ctx);
}

static void report(char kind, const char *path, ntfs_inode *ni) {
  int64_t size = 0, disk = 0, streams = 0;
  measure(ni, &size, &disk, &streams);
  if (kind == 'd') size = 0; /* a folder's size, as Windows lists it */
  ++names_seen;
  bytes_seen += (unsigned long long)size;
  if (!quiet) {
    printf("%c\t%s\t%lld\t%lld\t%llu\t%lld\n", kind, path, (long long)size, (long long)disk,
           (unsigned long long)ni->mft_no, (long long)streams);
  }
}

struct entry {
  char *name;
  MFT_REF mref;
};
struct listing {
  struct entry *items;
  size_t count, cap;
};

static int collect(void *ctx, const ntfschar *name, const int len, const int type,
                   const s64 pos, const MFT_REF mref, const unsigned dt_type) {
  (void)pos;
  (void)dt_type;
  struct listing *l = ctx;
  if (type == FILE_NAME_DOS) return 0;
  if (MREF(mref) < FILE_first_user) return 0; /* ".", ".." of the root and the metadata files */
  char *utf8 = NULL;
  if (ntfs_ucstombs(name, len, &utf8, 0) < 0) die("cannot convert a name", NULL);
  if (!strcmp(utf8, ".") || !strcmp(utf8, "..")) {
    free(utf8);
    return 0;
  }
  if (l->count == l->cap) {
    l->cap = l->cap ? l->cap * 2 : 64;
    l->items = realloc(l->items, l->cap * sizeof *l->items);
  }
  l->items[l->count].name = utf8;
  l->items[l->count].mref = mref;
  ++l->count;
  return 0;
}

/* Depth-first, each folder's entries in readdir order, a subfolder walked when it is met. */
static void walk(ntfs_inode *dir, const char *path) {
  struct listing l = {0};
  s64 pos = 0;
  if (ntfs_readdir(dir, &pos, &l, collect)) die("cannot list", path);
  for (size_t i = 0; i < l.count; ++i) {
    size_t n = strlen(path) + strlen(l.items[i].name) + 2;
    char *child = malloc(n);
    snprintf(child, n, "%s%s%s", path, path[0] ? "/" : "", l.items[i].name);
    ntfs_inode *ni = ntfs_inode_open(vol, l.items[i].mref);
    if (!ni) die("cannot open", child);
    const int isdir = (ni->mrec->flags & MFT_RECORD_IS_DIRECTORY) != 0;
    report(isdir ? 'd' : 'f', child, ni);
    if (isdir) walk(ni, child);
    ntfs_inode_close(ni);
    free(child);
    free(l.items[i].name);
  }
  free(l.items);
}

static int run_script(void) {
  char line[8192];
  while (fgets(line, sizeof line, stdin)) {
    line[strcspn(line, "\r\n")] = 0;
    char *f[6] = {0};
    int n = 0;
    for (char *p = line; n < 6; ++n) {
      f[n] = p;
      char *tab = strchr(p, '\t');
      if (!tab) {
        ++n;
        break;
      }
      *tab = 0;
      p = tab + 1;
    }
    const char *c = f[0];
    if (!c[0] || c[0] == '#') continue;
    if (!strcmp(c, "dir") && n >= 2) {
      ntfs_inode_close(create(f[1], S_IFDIR));
    } else if (!strcmp(c, "file") && n >= 3) {
      cmd_file(f[1], 0, atoll(f[2]));
    } else if (!strcmp(c, "sparse") && n >= 4) {
      cmd_file(f[1], atoll(f[2]), atoll(f[3]));
    } else if (!strcmp(c, "link") && n >= 3) {
      cmd_link(f[1], f[2]);
    } else if (!strcmp(c, "stream") && n >= 4) {
      cmd_stream(f[1], f[2], atoll(f[3]));
    } else if (!strcmp(c, "dos") && n >= 3) {
      cmd_dos(f[1], f[2]);
    } else if (!strcmp(c, "compress") && n >= 2) {
      cmd_compress(f[1]);
    } else if (!strcmp(c, "delete") && n >= 2) {
      cmd_delete(f[1]);
    } else if (!strcmp(c, "many") && n >= 5) {
      cmd_many(f[1], atol(f[2]), atoll(f[3]), f[4]);
    } else if (!strcmp(c, "reparse") && n >= 3) {
      cmd_reparse(f[1], (uint32_t)strtoul(f[2], NULL, 16));
    } else if (!strcmp(c, "attrib") && n >= 3) {
      set_attrib(f[1], (uint32_t)strtoul(f[2], NULL, 16));
    } else {
      fprintf(stderr, "ntfs-image-tool: cannot read the command \"%s\"\n", c);
      return 1;
    }
  }
  return 0;
}

int main(int argc, char **argv) {
  if (argc < 3 || (strcmp(argv[1], "fill") && strcmp(argv[1], "walk"))) {
    fprintf(stderr, "usage: ntfs-image-tool fill IMAGE < SCRIPT | walk IMAGE [--quiet]\n");
    return 2;
  }
  const int fill = !strcmp(argv[1], "fill");
  quiet = argc > 3 && !strcmp(argv[3], "--quiet");
  vol = ntfs_mount(argv[2], fill ? NTFS_MNT_NONE : NTFS_MNT_RDONLY);
  if (!vol) die("cannot open the image", argv[2]);
  int rc = fill ? run_script() : 0;
  /* The walk reads an image opened afresh: right after many changes in the same session the
   * library's readdir was seen to skip names. */
  if (rc == 0 && !fill) {
    ntfs_inode *root = ntfs_inode_open(vol, FILE_root);
    if (!root) die("cannot open the root", NULL);
    report('d', "", root); /* the root's own line: its index's clusters */
    walk(root, "");
    ntfs_inode_close(root);
    if (quiet) printf("%llu names, %llu bytes\n", names_seen, bytes_seen);
  }
  if (ntfs_umount(vol, FALSE)) die("cannot close the image", argv[2]);
  return rc;
}

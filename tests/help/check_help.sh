#!/usr/bin/env bash
# Checks the compiled help file: opens it with 7z and looks for what a reader
# would trip over: a page, the stylesheet, the contents or the index missing
# or stale, a link that leads nowhere, a page the contents do not reach, or a
# message of the program that the Messages page does not explain. Then the
# same pages as plain HTML, read in a browser: each one there as in help/,
# every link and picture found in that folder, every page linked from the
# first one (a browser shows no contents).
#   tests/help/check_help.sh build/win/Quirvel.chm build/win/help
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
[ $# -eq 2 ] || { echo "usage: check_help.sh HELPFILE.chm HTML-FOLDER" >&2; exit 2; }
chm=$(realpath "$1")
html=$(realpath "$2")
[ -d "$html" ] || { echo "check_help: no folder $html" >&2; exit 1; }
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
failures=0
fail() { echo "check_help: $*" >&2; failures=$((failures + 1)); }

7z x -y -o"$out" "$chm" >/dev/null || { echo "check_help: 7z cannot open $chm" >&2; exit 1; }

# The project: default topic, contents and index as the viewer reads them.
for want in welcome.html toc.hhc index.hhk "Quirvel Help"; do
  grep -aqF "$want" "$out/#SYSTEM" || fail "#SYSTEM does not name $want"
done

# Every source file is inside, as it is in help/ now.
for f in "$root"/help/*.html "$root"/help/*.css "$root"/help/*.hhc "$root"/help/*.hhk; do
  name=$(basename "$f")
  if [ ! -f "$out/$name" ]; then fail "$name is not in the help file"
  elif ! cmp -s "$f" "$out/$name"; then fail "$name in the help file differs from help/$name (stale build?)"
  fi
done

# The plain pages: each page, the stylesheet and each picture of help/ is
# there unchanged.
for f in "$root"/help/*.html "$root"/help/*.css "$root"/help/*.png "$root"/help/*.gif "$root"/help/*.jpg; do
  [ -e "$f" ] || continue
  name=$(basename "$f")
  if [ ! -f "$html/$name" ]; then fail "$name is not in $html"
  elif ! cmp -s "$f" "$html/$name"; then fail "$name in $html differs from help/$name (stale build?)"
  fi
done

# Links, reachability, titles, the stylesheet and the program's messages.
perl - "$out" "$root" "$html" <<'PERL' || failures=$((failures + 1))
use strict; use warnings;
my ($dir, $root, $html) = @ARGV;
my $bad = 0;
sub problem { print STDERR "check_help: $_[0]\n"; $bad++; }
sub slurp { my ($p) = @_; open(my $f, '<:raw', $p) or return undef; local $/; my $t = <$f>; close $f; $t }
sub pages_in { my ($d) = @_; opendir(my $dh, $d) or die "$d: $!"; my @p = sort grep { /\.html$/ } readdir $dh; closedir $dh; @p }
sub anchors_in {
    my ($d, @pages) = @_;
    my %a;
    for my $p (@pages) { my $t = slurp("$d/$p"); $a{$p}{$1} = 1 while $t =~ /<a\s+name="([^"]+)"/gi; }
    return \%a;
}

# A link from page `from` in folder `base` (described as `where`) to a file
# of that same folder, and to an anchor there if it names one.
sub check_target {
    my ($base, $anchors, $where, $from, $target) = @_;
    return if $target =~ /^(https?:|mailto:)/i;
    my ($file, $anchor) = split /#/, $target, 2;
    $file = $from if $file eq '';
    if ($file =~ m{^/|\\|^[a-z]:|(^|/)\.\.(/|$)}i || !-f "$base/$file") {
        problem("$from links to $target, which is not in $where");
        return;
    }
    problem("$from links to $target in $where: no such anchor") if defined $anchor && !$anchors->{$file}{$anchor};
}

sub check_pages {
    my ($base, $where) = @_;
    my @pages = pages_in($base);
    my $anchors = anchors_in($base, @pages);
    for my $p (@pages) {
        my $t = slurp("$base/$p");
        check_target($base, $anchors, $where, $p, $1) while $t =~ /\b(?:href|src)="([^"]+)"/gi;
        problem("$p has no title") unless $t =~ /<title>[^<]+<\/title>/i;
        problem("$p does not use style.css") unless $t =~ /href="style\.css"/i;
    }
    return ($anchors, @pages);
}

my ($anchors, @pages) = check_pages($dir, 'the help file');
my %inToc;
for my $sitemap ('toc.hhc', 'index.hhk') {
    my $t = slurp("$dir/$sitemap") // '';
    while ($t =~ /<param\s+name="Local"\s+value="([^"]+)"/gi) {
        check_target($dir, $anchors, 'the help file', $sitemap, $1);
        $inToc{$1} = 1 if $sitemap eq 'toc.hhc';
    }
}
problem("$_ is not in the table of contents") for grep { !$inToc{$_} } @pages;

# In a browser the first page stands in for the contents.
my ($htmlAnchors, @htmlPages) = check_pages($html, $html);
my %fromWelcome;
my $welcome = slurp("$html/welcome.html") // '';
$fromWelcome{(split /#/, $1)[0] // ''} = 1 while $welcome =~ /\bhref="([^"]+)"/gi;
problem("welcome.html in $html does not link to $_") for grep { $_ ne 'welcome.html' && !$fromWelcome{$_} } @htmlPages;

# The program's messages: every fixed piece of text of a showMessage call
# must appear on the Messages page (names and paths stand in italics there).
my $messages = slurp("$dir/messages.html") // '';
$messages =~ s/<br\s*\/?>/\n/gi; $messages =~ s/<[^>]+>//g;
my %entity = (amp => '&', lt => '<', gt => '>', quot => '"', nbsp => ' ');
$messages =~ s/&(\w+);/$entity{$1} \/\/ ''/ge;
$messages =~ s/[ \t]+/ /g;
my @sources = map { glob("$root/$_/*.cpp") } qw(app ledger lists entry reports import text);
for my $src (@sources) {
    my $code = slurp($src);
    while ($code =~ /\bshowMessage\(/g) {
        # The first argument: up to the first comma outside brackets and strings.
        my $rest = substr($code, pos($code));
        my ($depth, $arg) = (0, '');
        while ($rest =~ /\G(?:("(?:[^"\\]|\\.)*")|([(\[{])|([)\]}])|(,)|(.))/gsc) {
            if (defined $1) { $arg .= $1; }
            elsif (defined $2) { $depth++; $arg .= $2; }
            elsif (defined $3) { last if $depth == 0; $depth--; $arg .= $3; }
            elsif (defined $4) { last if $depth == 0; $arg .= $4; }
            else { $arg .= $5; }
        }
        while ($arg =~ /"((?:[^"\\]|\\.)*)"/g) {
            (my $text = $1) =~ s/\\r\\n|\\n/\n/g;
            $text =~ s/\\(.)/$1/g;
            for my $piece (split /\n/, $text) {
                $piece =~ s/^[\s:]+|\s+$//g;
                next if length($piece) < 8;
                problem("message text \"$piece\" (" . substr($src, length($root) + 1) . ") is not explained in messages.html")
                    if index($messages, $piece) < 0;
            }
        }
    }
}
exit($bad ? 1 : 0);
PERL

if [ "$failures" -gt 0 ]; then
  echo "check_help: $chm has problems" >&2
  exit 1
fi
echo "check_help: $(ls "$out"/*.html | wc -l) pages, contents, index, links and messages are in order, and so are the plain pages in $html"

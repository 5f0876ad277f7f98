#!/usr/bin/env bash
# Checks the compiled help file: opens it with 7z and looks for what a reader
# would trip over: a page, the stylesheet, the contents or the index missing
# or stale, a link that leads nowhere, a page the contents do not reach, or a
# message of the program that the Messages page does not explain.
#   tests/help/check_help.sh build/win/Quirvel.chm
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
chm=$(realpath "$1")
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

# Links, reachability, titles, the stylesheet and the program's messages.
perl - "$out" "$root" <<'PERL' || failures=$((failures + 1))
use strict; use warnings;
my ($dir, $root) = @ARGV;
my $bad = 0;
sub problem { print STDERR "check_help: $_[0]\n"; $bad++; }
sub slurp { my ($p) = @_; open(my $f, '<:raw', $p) or return undef; local $/; my $t = <$f>; close $f; $t }

opendir(my $dh, $dir) or die; my @pages = sort grep { /\.html$/ } readdir $dh; closedir $dh;
my %anchors;
for my $p (@pages) { my $t = slurp("$dir/$p"); $anchors{$p}{$1} = 1 while $t =~ /<a\s+name="([^"]+)"/gi; }

sub check_target {
    my ($from, $target) = @_;
    return if $target =~ /^(https?:|mailto:)/i;
    my ($file, $anchor) = split /#/, $target, 2;
    $file = $from if $file eq '';
    if (!-f "$dir/$file") { problem("$from links to $target, which is not in the help file"); return; }
    problem("$from links to $target: no such anchor") if defined $anchor && !$anchors{$file}{$anchor};
}

for my $p (@pages) {
    my $t = slurp("$dir/$p");
    check_target($p, $1) while $t =~ /\b(?:href|src)="([^"]+)"/gi;
    problem("$p has no title") unless $t =~ /<title>[^<]+<\/title>/i;
    problem("$p does not use style.css") unless $t =~ /href="style\.css"/i;
}
my %inToc;
for my $sitemap ('toc.hhc', 'index.hhk') {
    my $t = slurp("$dir/$sitemap") // '';
    while ($t =~ /<param\s+name="Local"\s+value="([^"]+)"/gi) {
        check_target($sitemap, $1);
        $inToc{$1} = 1 if $sitemap eq 'toc.hhc';
    }
}
problem("$_ is not in the table of contents") for grep { !$inToc{$_} } @pages;

# The program's messages: every fixed piece of text of a showMessage call
# must appear on the Messages page (names and paths stand in italics there).
my $messages = slurp("$dir/messages.html") // '';
$messages =~ s/<br\s*\/?>/\n/gi; $messages =~ s/<[^>]+>//g;
my %entity = (amp => '&', lt => '<', gt => '>', quot => '"', nbsp => ' ');
$messages =~ s/&(\w+);/$entity{$1} \/\/ ''/ge;
$messages =~ s/[ \t]+/ /g;
my @sources = map { glob("$root/$_/*.cpp") } qw(app ledger entry reports text);
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
echo "check_help: $(ls "$out"/*.html | wc -l) pages, contents, index, links and messages are in order"

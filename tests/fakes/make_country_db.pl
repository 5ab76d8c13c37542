#!/usr/bin/perl
# Writes a small MaxMind-format country database for the tests:
#   make_country_db.pl FILE [TYPE] NETWORK=CODE:NAME ...
# TYPE (default "Quillet-Test-Country") is the database type it names in its metadata.
use strict;
use warnings;
use MaxMind::DB::Writer::Tree;

my $file = shift @ARGV;
my $type = @ARGV && $ARGV[0] !~ /=/ ? shift @ARGV : 'Quillet-Test-Country';
my %types = (country => 'map', iso_code => 'utf8_string', names => 'map', en => 'utf8_string');
my $tree = MaxMind::DB::Writer::Tree->new(
    ip_version => 4,
    record_size => 24,
    database_type => $type,
    languages => ['en'],
    description => { en => 'Countries of loopback networks, for tests' },
    remove_reserved_networks => 0,
    map_key_type_callback => sub { $types{ $_[0] } },
);
for my $entry (@ARGV) {
    my ($network, $code, $name) = $entry =~ /^([^=]+)=([^:]+):(.*)$/ or die "bad entry: $entry\n";
    $tree->insert_network($network, { country => { iso_code => $code, names => { en => $name } } });
}
open my $out, '>:raw', $file or die "cannot write $file: $!\n";
$tree->write_tree($out);
close $out or die "cannot write $file: $!\n";

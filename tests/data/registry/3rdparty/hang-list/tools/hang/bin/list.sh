#!/bin/sh
echo A
exec sleep 60

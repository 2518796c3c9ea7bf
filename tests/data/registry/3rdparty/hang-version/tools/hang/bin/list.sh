#!/bin/sh
echo A
